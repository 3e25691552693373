// The one outstanding exchange with a unit: what is awaited, what came back,
// and how far a bulk run has got.
#pragma once

namespace orv {

// result_code values.
inline constexpr int kResultNone = 0;
inline constexpr int kResultMenu = 1;
inline constexpr int kResultAlarm = 2;
inline constexpr int kResultLock = 3;
inline constexpr int kResultModeError = 4;
inline constexpr int kResultFramingError = 5;
inline constexpr int kResultParityError = 6;
inline constexpr int kResultOverRunError = 7;
inline constexpr int kResultCommandError = 8;
inline constexpr int kResultReported = 10;  // a failure already shown; bulk runs stop on it

// bulk_phase values.
inline constexpr int kSingleCommand = 0;
inline constexpr int kBulkRunning = 1;
inline constexpr int kBulkLastCommand = 2;

// completion values.
inline constexpr int kCompletedSingle = 1;
inline constexpr int kCompletedBulk = 2;

inline constexpr int kTimeoutTicks = 15;  // timer-1 ticks before "No Connect"

struct ReplyWaitState {
  int wait_ticks = 0;
  int awaiting_reply = 0;
  int send_failed = 0;
  int result_code = 0;
  int completion = 0;
  int bulk_phase = 0;
  int bulk_step = 0;
  int bulk_timer = 0;
  int suppress_errors = 0;
  int close_on_failure = 0;
};

// Ends whatever exchange or bulk run is in progress; leaves completion,
// suppress_errors and close_on_failure to their consumers.
void reset_reply_state(ReplyWaitState& state);

// The acknowledgement of the awaited command: completion 1 for a single
// command, 2 for the last command of a bulk run, unchanged mid-run.
void mark_acknowledged(ReplyWaitState& state);

}  // namespace orv
