// Time for the simulator: a monotonic millisecond count for pacing and the
// switching cycles, and wall-clock seconds for the units' calendar clocks.
// Tests use ManualClock to step time exactly.
#pragma once

#include <cstdint>

namespace sim {

using Millis = std::int64_t;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Millis now_ms() const = 0;
  virtual std::int64_t wall_seconds() const = 0;  // seconds since 1970, UTC
};

class SystemClock : public Clock {
 public:
  // The calendar clocks run `wall_offset_s` seconds off the host's.
  explicit SystemClock(std::int64_t wall_offset_s = 0) : wall_offset_s_(wall_offset_s) {}
  Millis now_ms() const override;
  std::int64_t wall_seconds() const override;

 private:
  std::int64_t wall_offset_s_;
};

class ManualClock : public Clock {
 public:
  Millis now_ms() const override { return now_; }
  std::int64_t wall_seconds() const override { return wall_ + now_ / 1000; }
  void advance(Millis ms) { now_ += ms; }
  void set_wall(std::int64_t seconds) { wall_ = seconds; }

 private:
  Millis now_ = 0;
  std::int64_t wall_ = 1709622489;  // 2024-03-05 07:08:09 UTC
};

}  // namespace sim
