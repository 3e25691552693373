// Setting a unit's calendar clock from the computer's local clock with the
// unit's own date and time commands. The unit cannot be asked for its clock,
// so each pass sends every field, and its steps are ordered so that the
// unit never stands at a date or time that does not exist or rolls over
// between two steps:
//
//   TSS00  the second to 00 first: nothing rolls over for a minute
//   DSD01  the day to 01: every year and month has it
//   DSY DSM DSD TSH TSM   the computer's date, hour and minute
//   TSS    the second last, taken when it goes out plus its line's time
//
// A pass whose last step falls in another minute than the one it sent (a
// minute, hour, day, month or year boundary crossed while it was sending),
// or that took so long that the unit's seconds could have rolled over, is
// sent again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "bulk/bulk_run.h"

namespace orv {

// The computer's local time to the millisecond.
struct LocalTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The computer's local clock now.
LocalTime local_time_now();

// The local time `ms` milliseconds after `t` (across days, months and years).
LocalTime later_by(const LocalTime& t, int ms);

// A local time as milliseconds since 1970-01-01 00:00 of the same calendar
// (no time zone: the fields as they read), and back; the weekday of one
// (0 Sunday .. 6 Saturday).
std::int64_t civil_ms(const LocalTime& t);
LocalTime civil_time(std::int64_t ms);
int weekday_of(const LocalTime& t);

class ClockSync {
 public:
  using Clock = std::function<LocalTime()>;
  static constexpr int kSteps = 8;
  static constexpr int kPasses = 3;  // a pass and two more when boundaries are crossed

  // line_ms: how long the last command takes to reach the unit.
  explicit ClockSync(Clock clock = local_time_now, int line_ms = kSerialLineMs);

  // Why the computer's time cannot be sent now ("the computer's year 2100
  // is outside 2000..2099"), or empty.
  std::string refusal() const;

  // Step n (1..kSteps) of the pass; step 1 starts the pass and takes the
  // time it sends. A year the unit cannot take gives a refused command.
  BulkStep step(int n);

  // The pass just sent must go again: its second fell in another minute than
  // the one it sent, or more than 50 s after its first step.
  bool crossed() const { return crossed_; }

  // The time of a set command's 7 bytes at 9600 baud, 11 bits each.
  static constexpr int kSerialLineMs = 8;

 private:
  Clock clock_;
  int line_ms_;
  LocalTime sent_;  // the date, hour and minute the pass sends
  bool crossed_ = false;
};

}  // namespace orv
