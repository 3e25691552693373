#include "app/reply_presentation.h"

namespace orv {
namespace {

constexpr std::string_view kErrorCaption = "Error";

void close_failed_status_window(Exchange& exchange, Timer1Decision& decision) {
  if (!exchange.close_on_failure()) return;
  decision.close_current_dialog = true;
  exchange.set_close_on_failure(false);
}

Timer1Decision report_condition(Exchange& exchange) {
  Timer1Decision decision;
  decision.stop_status_poll = exchange.close_on_failure();
  if (exchange.suppress_errors()) {
    exchange.condition_dropped();
  } else if (const std::string_view text = condition_text(exchange.result_code()); !text.empty()) {
    exchange.condition_reported();
    decision.box = condition_box(text);
  }
  close_failed_status_window(exchange, decision);
  return decision;
}

Timer1Decision report_success(Exchange& exchange) {
  Timer1Decision decision;
  exchange.success_reported();
  if (!exchange.close_on_failure()) decision.box = acknowledged_box();
  return decision;
}

Timer1Decision report_time_out(Exchange& exchange) {
  Timer1Decision decision;
  if (!exchange.take_time_out()) return decision;
  decision.box = MessageBoxRequest{BoxKind::no_connect, "No Connect", "接続失敗", false, true};
  close_failed_status_window(exchange, decision);
  return decision;
}

}  // namespace

MessageBoxRequest acknowledged_box() {
  return MessageBoxRequest{BoxKind::connected, "Success", "接続成功"};
}
MessageBoxRequest success_box(std::string_view text) {
  return MessageBoxRequest{BoxKind::success, std::string(text), "Success", true};
}
MessageBoxRequest error_box(std::string_view text) {
  return MessageBoxRequest{BoxKind::error, std::string(text), kErrorCaption, true, true};
}
MessageBoxRequest warning_box(std::string_view text) {
  return MessageBoxRequest{BoxKind::warning, std::string(text), kErrorCaption, true, false, true};
}
MessageBoxRequest condition_box(std::string_view text) {
  return MessageBoxRequest{BoxKind::condition, std::string(text), kErrorCaption, true, true};
}
MessageBoxRequest tcp_link_box(std::string_view text, bool icon_error) {
  return MessageBoxRequest{BoxKind::error, std::string(text), "TREVALIX", false, icon_error};
}

Timer1Decision timer1_tick(Exchange& exchange) {
  if (exchange.condition_pending()) return report_condition(exchange);
  if (exchange.completion() == Completion::single) return report_success(exchange);
  return report_time_out(exchange);
}

}  // namespace orv
