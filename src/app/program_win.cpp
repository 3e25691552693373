#include "app/program_win.h"

#include "app/message_boxes_win.h"

namespace orv::win {

void ProgramTransport::serial_write(std::string_view bytes) {
  program_.serial.write(bytes);
}

// The TCP/IP branch of dispatch_command. With no connection standing the
// command cannot leave: the send fails at once and says so.
void ProgramTransport::tcp_send(std::string_view) {
  ReplyWaitState& reply = program_.state.reply;
  if (!link_ready(program_.state, program_.tcp_connected)) {
    reply.send_failed = 1;
    reply.awaiting_reply = 0;
    reply.wait_ticks = 0;
    show_box(warning_box("Socket が接続されていません"));
  }
  if (reply.close_on_failure != 0 && reply.send_failed != 0) {
    if (HWND dialog = program_.current_dialog()) SendMessageW(dialog, WM_CLOSE, 0, 0);
    reply.close_on_failure = 0;
  }
}

}  // namespace orv::win
