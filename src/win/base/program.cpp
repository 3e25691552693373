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

Program::FailureOnShow* failure_on_show(Program& p, const std::string& cause) {
  for (Program::FailureOnShow& shown : p.failures_on_show)
    if (shown.cause == cause) return &shown;
  return nullptr;
}

// A repeat of a failure whose box is up: its connection is closed already;
// it is recorded and counted, and the status line says how many came.
bool counted_as_repeat(Program& p, const LinkEvent& event) {
  const std::string cause = failure_cause(event);
  Program::FailureOnShow* shown = cause.empty() ? nullptr : failure_on_show(p, cause);
  if (!shown) return false;
  record_repeated_failure(p.session, event);
  note_in_status_line(p, widen(repeated_failures_note(cause, ++shown->repeats)));
  return true;
}

// A failure's box is on show until its OK, which ends the count.
void show_failure_effects(Program& p, const LinkEvent& event, const LinkEffects& effects) {
  const std::string cause = failure_cause(event);
  if (cause.empty() || effects.box.kind == BoxKind::none) return show_effects(p, effects);
  p.failures_on_show.push_back({cause, 0});
  show_effects(p, effects);
  p.failures_on_show.pop_back();
}

// The lost port is closed before anybody hears of it; the timer opens it
// again.
void close_lost_port(Program& p) {
  p.serial.close();
  SetTimer(p.link_window, kSerialReopenTimer.id, kSerialReopenTimer.period_ms, nullptr);
}

// A reply-paced run sends its next step as soon as a reply ends the wait.
void tick_reply_paced_run(const Program& p) {
  const Program::PacedRun& run = p.reply_paced_run;
  if (run.dialog && !p.session.exchange.awaiting_reply())
    PostMessageW(run.dialog, WM_TIMER, run.timer, 0);
}

void handle_one_link_event(Program& p, const LinkEvent& event, bool& link_changed) {
  if (counted_as_repeat(p, event)) return;
  if (event.kind == LinkEvent::Kind::port_lost) close_lost_port(p);
  const LinkEffects effects = handle_link_event(p.session, event);
  link_changed = link_changed || effects.link_changed;
  if (effects.unasked_counted)
    note_in_status_line(p, widen(unasked_lines_note(p.session.unasked_lines)));
  if (!effects.status_note.empty()) note_in_status_line(p, widen(effects.status_note));
  if (event.kind == LinkEvent::Kind::line) tick_reply_paced_run(p);
  show_failure_effects(p, event, effects);
}

std::deque<LinkEvent> next_link_events(Program& p) {
  std::deque<LinkEvent> events;
  events.swap(p.set_aside);
  for (LinkEvent& event : p.events.take()) events.push_back(std::move(event));
  return events;
}

// While a box shown for an event is up, what comes meanwhile waits for the
// loop that showed it, rather than overtake the events before it; only the
// repeats of the failure on show are counted at once.
void set_link_events_aside(Program& p) {
  for (LinkEvent& event : p.events.take())
    if (!counted_as_repeat(p, event)) p.set_aside.push_back(std::move(event));
}

// Hands every waiting link event to the session, on the window thread. The
// open dialog hears of connections that came or went once for the lot: a
// rack of converters connecting together is one refresh, not one each.
void take_link_events(Program& p) {
  if (p.taking_link_events) return set_link_events_aside(p);
  p.taking_link_events = true;
  bool link_changed = false;
  for (auto events = next_link_events(p); !events.empty(); events = next_link_events(p)) {
    while (!events.empty()) {
      const LinkEvent event = std::move(events.front());
      events.pop_front();
      handle_one_link_event(p, event, link_changed);
      // Events set aside during a box go after the rest of this batch.
      for (LinkEvent& later : p.set_aside) events.push_back(std::move(later));
      p.set_aside.clear();
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
      if (wparam == kTcpConnectTimer.id) p.tcp.on_connect_timer();
      if (wparam == kSerialReopenTimer.id) reopen_lost_port(p);
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

void toggle_success_in_status_line(Program& p) {
  Configuration& c = p.session.config;
  write_success_in_status_line(c, p.profile, !c.success_in_status_line);
  apply_option_menu_marks(p);
}

void apply_option_menu_marks(Program& p) {
  CheckMenuItem(
      GetMenu(p.main_window), IDM_SUCCESS_IN_STATUS_LINE,
      MF_BYCOMMAND | (p.session.config.success_in_status_line ? MF_CHECKED : MF_UNCHECKED));
}

void line_changed(Program& p) {
  SendMessageW(p.main_window, WM_APP_LINE_CHANGED, 0, 0);
}

void open_serial_port(Program& p) {
  p.serial.open(com_port_name(p.session.config.com_port),
                [](const char* text) { show_box(error_box(text)); });
}

void reopen_lost_port(Program& p) {
  if (!p.serial.lost() || !p.serial.reopen()) return;
  KillTimer(p.link_window, kSerialReopenTimer.id);
  note_in_status_line(p, widen(port_back_note(p.serial.name_of(kSerialConnection))));
}

void send_to_unit(Program& p, const Command& command) {
  if (p.session.config.serial_interface()) reopen_lost_port(p);
  show_failure(p, orv::send_to_unit(p.session, command));
}

void send_to_converter(Program& p, const Command& command) {
  reopen_lost_port(p);
  show_failure(p, orv::send_to_converter(p.session, command));
}

void send_again(Program& p) {
  if (p.session.config.serial_interface() || p.session.lastToConverter) reopen_lost_port(p);
  show_failure(p, orv::send_again(p.session));
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
