// What the main window's 190 ms timer 1 does with the outcome of the one
// outstanding command: a condition box, the success box, or "No Connect"
// once fifteen ticks have passed without a reply.
#pragma once

#include <string_view>

#include "link/reply_wait_state.h"

namespace orv {

// The program's message boxes. All are without owner and task-modal.
enum class BoxKind {
  none,
  success,     // caption "Success", no icon
  error,       // caption "Error", stop icon
  warning,     // caption "Error", exclamation icon
  condition,   // caption "Error", stop icon; reply state cleared before it shows
  connected,   // "Success" under "接続成功", no icon, no beep
  no_connect,  // "No Connect" under "接続失敗", stop icon, no beep
};

struct BoxSpec {
  BoxKind kind = BoxKind::none;
  std::string_view text;
  std::string_view caption;
  bool beep = false;  // the question sound before the box
  bool icon_error = false;
  bool icon_warning = false;
};

BoxSpec success_box(std::string_view text);
BoxSpec error_box(std::string_view text);
BoxSpec warning_box(std::string_view text);
BoxSpec condition_box(std::string_view text);

// The text of a unit condition (result codes 1..8), or empty.
std::string_view condition_text(int result_code);

struct Timer1Decision {
  bool stop_status_poll = false;      // kill timer 10 of current_dialog before the box
  BoxSpec box;                        // the box to show, if any
  bool close_current_dialog = false;  // send a close request to current_dialog after the box
};

// One tick of timer 1. Applies every state change the tick makes (including
// the condition box's own clearing, which must happen before the box blocks)
// and says what the window must show.
Timer1Decision timer1_tick(ReplyWaitState& reply);

// The condition box clears the wait and turns the code into "reported".
void clear_for_condition_box(ReplyWaitState& reply);

}  // namespace orv
