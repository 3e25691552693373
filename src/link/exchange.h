// The exchange of one requester with the unit: whether its command awaits
// a reply, what came back for it, and where its bulk run stands. Every
// change is a named transition; the field names the operator's manuals and
// the old tool use (awaiting_reply, send_failed, result_code, completion,
// bulk_phase, suppress_errors, close_on_failure) are the accessors' names.
// When the reply is late is the conversation's business (link/conversation.h);
// the exchange only hears that it was.
#pragma once

#include "protocol/replies.h"

namespace orv {

// bulk_phase: what the command being sent is.
enum class BulkPhase { single, running, last };

// completion: a single command acknowledged (the main window shows
// "Success"), or the last command of a bulk run acknowledged (its dialog
// finishes the run).
enum class Completion { none, single, bulk };

inline constexpr int kTimeoutTicks = 15;  // timer-1 ticks before "No Connect"
inline constexpr int kTimer1PeriodMs = 190;

class Exchange {
 public:
  // --- Senders: the phase of the next command, set before it goes out.
  void begin_single_command() { bulk_phase_ = BulkPhase::single; }
  void begin_bulk_step() { bulk_phase_ = BulkPhase::running; }
  void begin_last_bulk_step() { bulk_phase_ = BulkPhase::last; }

  // The command went out (or waits its turn on the line): a reply is awaited.
  void sent();
  // A Broadcast went out: nobody answers, so it is done at once.
  void sent_without_reply();
  // The command could not be built or framed: nothing went out and the
  // operator sees "Command Error".
  void refused();
  // The link could not take the command (TCP/IP): nothing is awaited and a
  // running bulk run stops.
  void send_failure();

  // --- Replies.
  // "GO": nothing to report, and the awaited command is complete.
  void acknowledged();
  // A data reply was stored: the awaited command is complete unless a
  // condition is still to be reported.
  void reply_stored();
  // A condition line, or a reply its row rejected.
  void condition(ResultCode code) { result_ = code; }
  // A reply came over TCP/IP, so the connection works again.
  void send_failure_cleared() { send_failed_ = false; }
  // Every handled line ends the wait.
  void reply_handled();

  // The last try's time ran out without a reply (the command's
  // conversation decides when): a running bulk run or the status window
  // stops on it, and timer 1 reports it ("No Connect").
  void unanswered();

  // --- Timer 1 and the reply presentation.
  // The time-out to report, once: true on the first call after unanswered().
  bool take_time_out();
  // The condition is being shown: clears it, leaving a running bulk run the
  // stop code.
  void condition_reported();
  // The operator is being asked whether to cancel a run: the condition is
  // dropped without a box.
  void condition_dropped() { result_ = ResultCode::none; }
  void success_reported();
  // The completion has been taken (by a bulk dialog at the end of its run,
  // or by the status window as it closes).
  void completion_taken() { completion_ = Completion::none; }

  // Ends whatever exchange or bulk run is in progress (reset_reply_state):
  // leaves completion, suppress_errors and close_on_failure to their
  // consumers.
  void abandon();

  void set_suppress_errors(bool on) { suppress_errors_ = on; }
  void set_close_on_failure(bool on) { close_on_failure_ = on; }

  bool awaiting_reply() const { return awaiting_reply_; }
  bool send_failed() const { return send_failed_; }
  ResultCode result_code() const { return result_; }
  Completion completion() const { return completion_; }
  BulkPhase bulk_phase() const { return bulk_phase_; }
  bool suppress_errors() const { return suppress_errors_; }
  bool close_on_failure() const { return close_on_failure_; }
  bool in_bulk_run() const { return bulk_phase_ != BulkPhase::single; }
  // A condition or a rejected reply waits to be shown by timer 1.
  bool condition_pending() const {
    return result_ != ResultCode::none && result_ != ResultCode::reported;
  }

 private:
  void complete_by_phase();

  bool awaiting_reply_ = false;
  bool time_out_to_report_ = false;
  bool send_failed_ = false;
  ResultCode result_ = ResultCode::none;
  Completion completion_ = Completion::none;
  BulkPhase bulk_phase_ = BulkPhase::single;
  bool suppress_errors_ = false;
  bool close_on_failure_ = false;
};

}  // namespace orv
