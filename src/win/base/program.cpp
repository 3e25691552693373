#include "win/base/program.h"

#include <commctrl.h>

#include "resource.h"
#include "win/base/message_boxes.h"
#include "win/base/text.h"
#include "win/base/timers_and_messages.h"

namespace orv::win {
namespace {

constexpr wchar_t kLinkWindowClass[] = L"ORVELLAN link events";

Program& program_of(HWND window) {
  return *reinterpret_cast<Program*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void show_effects(Program& p, const LinkEffects& effects) {
  HWND dialog = p.current_dialog;
  if (effects.glyph_updated && dialog) InvalidateRect(dialog, nullptr, TRUE);
  if (effects.status_updated && dialog) SendMessageW(dialog, WM_APP_STATUS_CHANGED, 0, 0);
  show_box(effects.box);
  // The box ran its own message loop: the dialog open now is the one to close.
  if (effects.close_current_dialog && p.current_dialog)
    SendMessageW(p.current_dialog, WM_CLOSE, 0, 0);
}

// Hands every waiting link event to the session, on the window thread. The
// open dialog hears of connections that came or went once for the lot: a
// rack of converters connecting together is one refresh, not one each. A
// box shown for one event runs its own message loop: events that come
// meanwhile wait for this loop rather than overtake the ones before them.
void take_link_events(Program& p) {
  if (p.taking_link_events) return;
  p.taking_link_events = true;
  bool link_changed = false;
  for (auto events = p.events.take(); !events.empty(); events = p.events.take()) {
    for (const LinkEvent& event : events) {
      const LinkEffects effects = handle_link_event(p.session, event);
      link_changed = link_changed || effects.link_changed;
      show_effects(p, effects);
    }
  }
  p.taking_link_events = false;
  if (link_changed && p.current_dialog) SendMessageW(p.current_dialog, WM_APP_LINK_CHANGED, 0, 0);
}

LRESULT CALLBACK link_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (GetWindowLongPtrW(window, GWLP_USERDATA) == 0)
    return DefWindowProcW(window, message, wparam, lparam);
  Program& p = program_of(window);
  switch (message) {
    case WM_APP_LINK_EVENTS:
      take_link_events(p);
      return 0;
    case WM_SOCKET_EVENT:
      p.tcp.on_socket_event(static_cast<SOCKET>(wparam), WSAGETSELECTEVENT(lparam),
                            WSAGETSELECTERROR(lparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTcpReplyTimer.id) p.tcp.on_reply_timer();
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
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
      serial(events),
      tcp(events) {
  session.serial_link = &serial;
  session.tcp_link = &tcp;
  session.profile = &profile;
}

void report_tcp_failure(const std::string& text) {
  show_message(Box{widen(text), L"TREVALIX", MB_OK | MB_TASKMODAL | MB_ICONERROR});
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
  p.tcp.attach(p.link_window);
  return p.link_window != nullptr;
}

int run_message_loop(Program& p) {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The modeless traffic log takes its own keys (Tab, Escape).
    if (p.traffic_window && IsDialogMessageW(p.traffic_window, &message)) continue;
    // Accelerators belong to the main window, whichever child has the focus.
    if (!TranslateAcceleratorW(p.main_window, p.accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

void show_status(Program& p, const std::wstring& text) {
  if (text == p.status_text) return;
  p.status_text = text;
  SendMessageW(p.status_bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void note_in_status_line(Program& p, const std::wstring& text) {
  p.status_note = text;
  show_status(p, text);
}

void switch_model(Program& p, int model) {
  if (p.session.settings.model == model) return;
  apply_model(p.session.settings, model);
  p.session.config.select_model = model;
  write_select_model(p.profile, model);
  apply_model_menu_mark(p);
}

void apply_model_menu_mark(Program& p) {
  const int selected =
      p.session.settings.model == kModelOrvellan ? IDM_MODEL_ORVELLAN : IDM_MODEL_TARQUINE;
  CheckMenuRadioItem(GetMenu(p.main_window), IDM_MODEL_ORVELLAN, IDM_MODEL_TARQUINE, selected,
                     MF_BYCOMMAND);
}

void line_changed(Program& p) {
  SendMessageW(p.main_window, WM_APP_LINE_CHANGED, 0, 0);
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
