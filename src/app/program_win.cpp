#include "app/program_win.h"

#include "app/message_boxes_win.h"
#include "app/timers_and_messages_win.h"

namespace orv::win {
namespace {

constexpr wchar_t kLinkWindowClass[] = L"ORVELLAN link events";

Program& program_of(HWND window) {
  return *reinterpret_cast<Program*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Hands every waiting link event to the session, on the window thread.
void take_link_events(Program& p) {
  for (const LinkEvent& event : p.events.take()) {
    const ReplyEffects effects = handle_link_event(p.session, event);
    if (effects.glyph_updated && p.current_dialog) InvalidateRect(p.current_dialog, nullptr, TRUE);
  }
}

LRESULT CALLBACK link_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_APP_LINK_EVENTS && GetWindowLongPtrW(window, GWLP_USERDATA) != 0) {
    take_link_events(program_of(window));
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void show_failure(Program& p, const DispatchResult& result) {
  if (!result.failure.empty()) show_box(warning_box(result.failure));
  if (result.close_current_dialog && p.current_dialog)
    SendMessageW(p.current_dialog, WM_CLOSE, 0, 0);
}

}  // namespace

Program::Program()
    : events([this] {
        return link_window && PostMessageW(link_window, WM_APP_LINK_EVENTS, 0, 0) != FALSE;
      }),
      serial(events) {
  session.serial_link = &serial;
}

bool create_link_window(Program& p) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = link_window_proc;
  wc.hInstance = p.instance;
  wc.lpszClassName = kLinkWindowClass;
  RegisterClassExW(&wc);
  p.link_window = CreateWindowExW(0, kLinkWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  p.instance, &p);
  return p.link_window != nullptr;
}

void open_serial_port(Program& p) {
  p.serial.open(com_port_name(p.session.config.com_port),
                [](const char* text) { show_box(error_box(text)); });
}

void send_to_unit(Program& p, const Command& command) {
  show_failure(p, orv::send_to_unit(p.session, command));
}

void send_to_converter(Program& p, const Command& command) {
  show_failure(p, orv::send_to_converter(p.session, command));
}

bool refuse_broadcast(Program& p) {
  if (!p.session.framing().broadcast() || !p.session.config.serial_interface()) return false;
  show_box(error_box("スレーブアドレスを「Broadcast」以外に設定してください。"));
  return true;
}

void send_single_command(Program& p, const Command& command) {
  if (p.session.exchange.awaiting_reply()) return;
  p.session.exchange.begin_single_command();
  send_to_unit(p, command);
}

}  // namespace orv::win
