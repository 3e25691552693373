#include "link/exchange.h"

namespace orv {

void Exchange::complete_by_phase() {
  if (bulk_phase_ == BulkPhase::single) completion_ = Completion::single;
  if (bulk_phase_ == BulkPhase::last) completion_ = Completion::bulk;
}

void Exchange::sent() {
  wait_ticks_ = 1;
  awaiting_reply_ = true;
  send_failed_ = false;
  tries_ = again_ ? tries_ + 1 : 1;
  again_ = false;
}

void Exchange::sent_without_reply() {
  awaiting_reply_ = false;
  wait_ticks_ = 0;
  result_ = ResultCode::none;
  complete_by_phase();
}

void Exchange::refused() {
  awaiting_reply_ = false;
  wait_ticks_ = 0;
  result_ = ResultCode::command_error;
}

void Exchange::send_failure() {
  send_failed_ = true;
  awaiting_reply_ = false;
  wait_ticks_ = 0;
}

void Exchange::acknowledged() {
  result_ = ResultCode::none;
  if (awaiting_reply_) complete_by_phase();
}

void Exchange::reply_stored() {
  if (result_ == ResultCode::none && awaiting_reply_) complete_by_phase();
}

void Exchange::reply_handled() {
  wait_ticks_ = 0;
  awaiting_reply_ = false;
}

WaitTick Exchange::tick() {
  if (wait_ticks_ == 0 || ++wait_ticks_ <= kTimeoutTicks) return WaitTick::waiting;
  if (tries_ <= retries_) {
    wait_ticks_ = 1;  // the next try's wait
    return WaitTick::try_again;
  }
  if (in_bulk_run() || close_on_failure_) result_ = ResultCode::reported;
  wait_ticks_ = 0;
  awaiting_reply_ = false;
  return WaitTick::timed_out;
}

void Exchange::condition_reported() {
  wait_ticks_ = 0;
  result_ = in_bulk_run() ? ResultCode::reported : ResultCode::none;
}

void Exchange::success_reported() {
  completion_ = Completion::none;
  wait_ticks_ = 0;
}

void Exchange::abandon() {
  result_ = ResultCode::none;
  send_failed_ = false;
  bulk_phase_ = BulkPhase::single;
  wait_ticks_ = 0;
  awaiting_reply_ = false;
  retries_ = 0;
}

}  // namespace orv
