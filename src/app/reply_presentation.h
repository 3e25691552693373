// What the main window's 190 ms timer 1 does with the outcome of the
// operator's command: a condition box, the success box, or "No Connect"
// once its conversation found fifteen ticks passed without a reply. Also
// the message boxes the whole program reports with.
#pragma once

#include <string>
#include <string_view>

#include "link/exchange.h"

namespace orv {

enum class BoxKind {
  none,
  success,     // caption "Success", no icon
  error,       // caption "Error", stop icon
  warning,     // caption "Error", exclamation icon
  condition,   // caption "Error", stop icon; the exchange is cleared before it shows
  connected,   // "Success" under "接続成功", no icon, no beep
  no_connect,  // "No Connect" under "接続失敗", stop icon, no beep
};

// A message box to show: all are without owner and task-modal.
struct MessageBoxRequest {
  BoxKind kind = BoxKind::none;
  std::string text;
  std::string_view caption;
  bool beep = false;  // the question sound before the box
  bool icon_error = false;
  bool icon_warning = false;
};

// "Success" under "接続成功": a command, or a whole run of them, was acknowledged.
MessageBoxRequest acknowledged_box();
MessageBoxRequest success_box(std::string_view text);
MessageBoxRequest error_box(std::string_view text);
MessageBoxRequest warning_box(std::string_view text);
MessageBoxRequest condition_box(std::string_view text);
// A failure of the TCP/IP link itself: caption "TREVALIX", no beep.
MessageBoxRequest tcp_link_box(std::string_view text, bool icon_error);

struct Timer1Decision {
  bool stop_status_poll = false;      // kill the status window's poll timer before the box
  MessageBoxRequest box;              // the box to show, if any
  bool close_current_dialog = false;  // send a close request to the open dialog after the box
};

// One tick of timer 1, after the conversations heard it. Applies every
// change the tick makes to the exchange (including the condition box's own
// clearing, which must happen before the box blocks) and says what the
// window must show.
Timer1Decision timer1_tick(Exchange& exchange);

}  // namespace orv
