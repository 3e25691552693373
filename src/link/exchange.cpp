#include "link/exchange.h"

namespace orv {

void Exchange::complete_by_phase() {
  if (bulk_phase_ == BulkPhase::single) completion_ = Completion::single;
  if (bulk_phase_ == BulkPhase::last) completion_ = Completion::bulk;
}

void Exchange::sent() {
  awaiting_reply_ = true;
  send_failed_ = false;
}

void Exchange::sent_without_reply() {
  awaiting_reply_ = false;
  result_ = ResultCode::none;
  complete_by_phase();
}

void Exchange::refused() {
  awaiting_reply_ = false;
  result_ = ResultCode::command_error;
}

void Exchange::send_failure() {
  send_failed_ = true;
  awaiting_reply_ = false;
}

void Exchange::acknowledged() {
  result_ = ResultCode::none;
  if (awaiting_reply_) complete_by_phase();
}

void Exchange::reply_stored() {
  if (result_ == ResultCode::none && awaiting_reply_) complete_by_phase();
}

void Exchange::reply_handled() {
  awaiting_reply_ = false;
}

void Exchange::unanswered() {
  if (in_bulk_run() || close_on_failure_) result_ = ResultCode::reported;
  awaiting_reply_ = false;
  time_out_to_report_ = true;
}

bool Exchange::take_time_out() {
  const bool due = time_out_to_report_;
  time_out_to_report_ = false;
  return due;
}

void Exchange::condition_reported() {
  result_ = in_bulk_run() ? ResultCode::reported : ResultCode::none;
}

void Exchange::success_reported() {
  completion_ = Completion::none;
}

void Exchange::abandon() {
  result_ = ResultCode::none;
  send_failed_ = false;
  bulk_phase_ = BulkPhase::single;
  awaiting_reply_ = false;
  time_out_to_report_ = false;
}

}  // namespace orv
