// The gateway's schedule: named entries that say when (weekdays and a time,
// a date and a time, or every N minutes or hours), what (recall a pattern or
// the free layout, clock sync, backup, compare with the approved file), on
// which units, and how late an action may still run.
//
// The scheduler only decides which runs are due; it is told the local time
// and a steady time at each look, so tests drive it with clocks of their
// own. Runs at a time of day are kept by the local calendar, so that a
// change of the computer's clock or a daylight-saving jump runs each once:
// a run is never taken twice (the clock put back by up to 3 hours, as at the
// end of summer time, does not bring back a run already taken), and a run
// the clock jumped over (by up to 3 hours, as at the start of summer time)
// is taken at the jump, on time. A clock put back by more is corrected, not
// a new day: the runs start again from the new time; a clock that moved on
// by more (or a computer that stood still) takes the latest run passed
// over, late, and so reported missed beyond its limit.
// Runs every N minutes or hours go by the steady time and do not see the
// computer's clock at all.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bulk/clock_sync.h"

namespace orv::gateway {

struct ScheduleWhen {
  enum class Kind { weekly, once, every };
  Kind kind = Kind::weekly;
  std::array<bool, 7> weekdays{};  // weekly: 0 Sunday .. 6 Saturday
  int minute_of_day = 0;           // weekly and once
  int year = 0, month = 0, day = 0;
  std::int64_t every_ms = 0;  // every
};

struct ScheduleAction {
  enum class Kind { pattern, clock_sync, backup, compare };
  Kind kind = Kind::pattern;
  int pattern = 0;           // Kind::pattern: 0..63 or kFreeLayout
  std::string text() const;  // "pattern 3", "pattern free", "clock-sync", ...
};

struct ScheduleEntry {
  std::string name;
  ScheduleWhen when;
  std::string when_text;  // as the configuration gives it
  ScheduleAction action;
  std::vector<std::string> units;  // empty: every unit
  std::int64_t late_ms = 120'000;
  int line = 0;  // where its section begins, for messages
};

// "mon-fri 08:00", "sat,sun 09:30", "daily 22:00", "2026-12-24 18:00",
// "every 30m", "every 2h"; the reason when it is none of these.
std::optional<ScheduleWhen> parse_schedule_when(std::string_view text, std::string& reason);
// "pattern 3", "pattern free", "clock-sync", "backup", "compare".
std::optional<ScheduleAction> parse_schedule_action(std::string_view text, std::string& reason);
// "2m", "90s", "1h": at most a day.
std::optional<std::int64_t> parse_late(std::string_view text);

class Scheduler {
 public:
  using Steady = std::chrono::milliseconds;
  // The first look: runs due from the next moment on.
  Scheduler(std::vector<ScheduleEntry> entries, const LocalTime& now, Steady steady);

  struct Due {
    size_t entry = 0;
    std::int64_t late_ms = 0;  // how long after its time it is taken
    bool missed = false;       // later than the entry's limit: not to be run
  };
  // One look at the clocks: every run that fell due since the last look.
  std::vector<Due> look(const LocalTime& now, Steady steady);

  const std::vector<ScheduleEntry>& entries() const { return entries_; }
  // The local time of an entry's next run, or nothing (a date gone by).
  std::optional<LocalTime> next_run(size_t entry) const;

 private:
  struct State {
    std::optional<std::int64_t> next_civil;  // weekly and once: its local time
    Steady next_steady{};                    // every
  };
  std::optional<std::int64_t> after(const ScheduleWhen& when, std::int64_t civil) const;

  std::vector<ScheduleEntry> entries_;
  std::vector<State> states_;
  std::int64_t last_civil_;
  Steady last_steady_;
};

}  // namespace orv::gateway
