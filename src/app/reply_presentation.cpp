#include "app/reply_presentation.h"

#include <array>

namespace orv {
namespace {

constexpr std::string_view kErrorCaption = "Error";

void close_failed_status_window(ReplyWaitState& reply, Timer1Decision& decision) {
  if (reply.close_on_failure == 0) return;
  decision.close_current_dialog = true;
  reply.close_on_failure = 0;
}

Timer1Decision report_condition(ReplyWaitState& reply) {
  Timer1Decision decision;
  decision.stop_status_poll = reply.close_on_failure != 0;
  if (reply.suppress_errors != 0) {
    reply.result_code = kResultNone;
  } else if (const std::string_view text = condition_text(reply.result_code); !text.empty()) {
    clear_for_condition_box(reply);
    decision.box = condition_box(text);
  }
  close_failed_status_window(reply, decision);
  return decision;
}

Timer1Decision report_success(ReplyWaitState& reply) {
  Timer1Decision decision;
  reply.completion = 0;
  reply.wait_ticks = 0;
  if (reply.close_on_failure == 0)
    decision.box = BoxSpec{BoxKind::connected, "Success", "接続成功", false, false, false};
  return decision;
}

Timer1Decision count_wait_tick(ReplyWaitState& reply) {
  Timer1Decision decision;
  if (reply.wait_ticks == 0) return decision;
  if (++reply.wait_ticks <= kTimeoutTicks) return decision;
  if (reply.bulk_phase != kSingleCommand || reply.close_on_failure != 0)
    reply.result_code = kResultReported;
  reply.wait_ticks = 0;
  reply.awaiting_reply = 0;
  decision.box = BoxSpec{BoxKind::no_connect, "No Connect", "接続失敗", false, true, false};
  close_failed_status_window(reply, decision);
  return decision;
}

}  // namespace

BoxSpec success_box(std::string_view text) {
  return BoxSpec{BoxKind::success, text, "Success", true, false, false};
}
BoxSpec error_box(std::string_view text) {
  return BoxSpec{BoxKind::error, text, kErrorCaption, true, true, false};
}
BoxSpec warning_box(std::string_view text) {
  return BoxSpec{BoxKind::warning, text, kErrorCaption, true, false, true};
}
BoxSpec condition_box(std::string_view text) {
  return BoxSpec{BoxKind::condition, text, kErrorCaption, true, true, false};
}

std::string_view condition_text(int result_code) {
  static constexpr std::array<std::string_view, 8> kTexts{
      "Menu Display",  "Alarm Display", "Lock Display",   "Mode Error",
      "Framing Error", "Parity Error",  "Over Run Error", "Command Error"};
  if (result_code < 1 || result_code > 8) return {};
  return kTexts[static_cast<size_t>(result_code - 1)];
}

void clear_for_condition_box(ReplyWaitState& reply) {
  reply.wait_ticks = 0;
  reply.result_code = reply.bulk_phase != kSingleCommand ? kResultReported : kResultNone;
}

Timer1Decision timer1_tick(ReplyWaitState& reply) {
  if (reply.result_code != kResultNone && reply.result_code != kResultReported)
    return report_condition(reply);
  if (reply.completion == kCompletedSingle) return report_success(reply);
  return count_wait_tick(reply);
}

}  // namespace orv
