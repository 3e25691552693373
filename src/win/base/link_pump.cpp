#include "win/base/link_pump.h"

#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

constexpr wchar_t kLinkWindowClass[] = L"ORVELLAN link events";

Program& program_of(HWND window) {
  return *reinterpret_cast<Program*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The runs whose commands settled go on, each in its own window's turn.
void wake_runs(Program& p, const LinkEffects& effects) {
  for (const RequesterId requester : effects.settled) {
    const auto woken = p.links.woken_on_settle.find(requester);
    if (woken != p.links.woken_on_settle.end())
      PostMessageW(woken->second, WM_APP_RUN_SETTLED, static_cast<WPARAM>(requester), 0);
  }
}

// A repeat of a failure whose box is up: its connection is closed already;
// it is recorded and counted, and the status line says how many came.
void note_repeat(Program& p, const LinkEvent& event, const std::string& cause) {
  record_repeated_failure(p.session, event);
  note_in_status_line(p, widen(repeated_failures_note(cause, p.session.boxes.repeats_of(cause))));
}

void handle_one(Program& p, const LinkEvent& event, bool& link_changed) {
  if (event.kind == LinkEvent::Kind::port_lost) {
    // The lost port is closed before anybody hears of it; the timer opens it again.
    p.links.serial.close();
    SetTimer(p.links.window, kSerialReopenTimer.id, kSerialReopenTimer.period_ms, nullptr);
  }
  const LinkEffects effects = handle_link_event(p.session, event);
  link_changed = link_changed || effects.link_changed;
  // A failure's box is on show until its OK, which ends the count of its repeats.
  const std::string cause = failure_cause(event);
  const bool failure_box = !cause.empty() && effects.box.kind != BoxKind::none;
  if (failure_box) p.session.boxes.failure_box_shown(cause);
  show_effects(p, effects);
  if (failure_box) p.session.boxes.failure_box_closed();
}

// What comes while a box shown for an event is up waits for the loop that
// showed it, rather than overtake the events before it; only the repeats
// of the failure on show are counted at once.
void set_events_aside(Program& p) {
  for (LinkEvent& event : p.links.events.take()) {
    const std::string cause = failure_cause(event);
    const LinkEvent kept = event;
    if (p.session.boxes.arrived(std::move(event), cause, true) == BoxGuard::Fate::count_repeat)
      note_repeat(p, kept, cause);
  }
}

// Hands every waiting link event to the session, on the window thread. The
// open dialog hears of connections that came or went once for the lot: a
// rack of converters connecting together is one refresh, not one each.
void take_link_events(Program& p) {
  BoxGuard& boxes = p.session.boxes;
  if (!boxes.begin_handling()) return set_events_aside(p);
  bool link_changed = false;
  for (;;) {
    std::deque<LinkEvent> events = boxes.take_set_aside();
    for (LinkEvent& event : p.links.events.take()) events.push_back(std::move(event));
    if (events.empty()) break;
    for (LinkEvent& event : events) {
      const std::string cause = failure_cause(event);
      const LinkEvent taken = event;
      if (boxes.arrived(std::move(event), cause, false) == BoxGuard::Fate::count_repeat)
        note_repeat(p, taken, cause);
      else
        handle_one(p, taken, link_changed);
    }
  }
  boxes.end_handling();
  if (link_changed && p.shell.current_dialog)
    SendMessageW(p.shell.current_dialog, WM_APP_LINK_CHANGED, 0, 0);
}

void on_socket_event(Program& p, SOCKET socket, int event, int error) {
  if (!p.links.client.on_socket_event(socket, event, error))
    p.links.server.on_socket_event(socket, event, error);
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
      on_socket_event(p, static_cast<SOCKET>(wparam), WSAGETSELECTEVENT(lparam),
                      WSAGETSELECTERROR(lparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTcpConnectTimerId) p.links.client.on_connect_timer();
      if (wparam == kSerialReopenTimer.id) reopen_lost_port(p);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

bool create_link_window(Program& p) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = link_window_proc;
  wc.hInstance = p.shell.instance;
  wc.lpszClassName = kLinkWindowClass;
  RegisterClassExW(&wc);
  p.links.window = CreateWindowExW(0, kLinkWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   p.shell.instance, &p);
  p.links.client.attach(p.links.window);
  p.links.server.attach(p.links.window);
  return p.links.window != nullptr;
}

void show_effects(Program& p, const LinkEffects& effects) {
  if (effects.unasked_counted)
    note_in_status_line(p, widen(unasked_lines_note(p.session.boxes.unasked_lines())));
  if (!effects.status_note.empty()) note_in_status_line(p, widen(effects.status_note));
  wake_runs(p, effects);
  HWND dialog = p.shell.current_dialog;
  if (effects.glyph_updated && dialog) InvalidateRect(dialog, nullptr, TRUE);
  if (effects.status_updated && dialog) SendMessageW(dialog, WM_APP_STATUS_CHANGED, 0, 0);
  show_box(effects.box);
  // The box ran its own message loop: the dialog open now is the one to close.
  if (effects.close_current_dialog && p.shell.current_dialog)
    SendMessageW(p.shell.current_dialog, WM_CLOSE, 0, 0);
}

void tick_links(Program& p) {
  show_effects(p, tick_conversations(p.session));
}

}  // namespace orv::win
