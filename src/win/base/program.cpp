#include "win/base/program.h"

#include <commctrl.h>

#include "win/base/link_pump.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/platform/text.h"

namespace orv::win {

Links::Links(Session& session)
    : events([this] { return window && PostMessageW(window, WM_APP_LINK_EVENTS, 0, 0) != FALSE; }),
      serial(events),
      client(events),
      server(events, session.lines.server) {
  Lines& lines = session.lines;
  lines.serial_link = &serial;
  lines.client_link = &client;
  lines.picked_place = &server.picked();
  for (int place = 1; place <= kServerPlaces; ++place)
    lines.place_links[static_cast<size_t>(place)] = &server.place(place);
}

bool Links::tcp_open() const {
  return client.has_socket() || client.connected() || server.has_socket() || server.connected();
}

Program::Program() : links(session) {
  session.profile = &profile;
}

void report_tcp_failure(const std::string& text) {
  show_message(Box{widen(text), L"TREVALIX", MB_OK | MB_TASKMODAL | MB_ICONERROR});
}

void show_status(Program& p, const std::wstring& text) {
  Shell& shell = p.shell;
  if (text == shell.status_text) return;
  shell.status_text = text;
  SendMessageW(shell.status_bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void note_in_status_line(Program& p, const std::wstring& text) {
  p.shell.status_note = text;
  show_status(p, text);
}

void switch_model(Program& p, int model) {
  DeviceSettings& settings = p.session.document.settings;
  if (settings.model == model) return;
  apply_model(settings, model);
  p.session.config.select_model = model;
  write_select_model(p.profile, model);
  SendMessageW(p.shell.main_window, WM_APP_OPTIONS_CHANGED, 0, 0);
}

void line_changed(Program& p) {
  SendMessageW(p.shell.main_window, WM_APP_LINE_CHANGED, 0, 0);
}

void open_com_port(Program& p) {
  p.links.serial.open(com_port_name(p.session.config.com_port),
                      [](const char* text) { show_box(error_box(text)); });
}

void reopen_lost_port(Program& p) {
  SerialLink& serial = p.links.serial;
  if (!serial.lost() || !serial.reopen()) return;
  KillTimer(p.links.window, kSerialReopenTimer.id);
  note_in_status_line(p, widen(port_back_note(serial.name())));
}

void send_to_unit(Program& p, const Command& command, int retries) {
  if (p.session.config.serial_interface()) reopen_lost_port(p);
  show_effects(p, ask_unit(p.session, command, retries));
}

void send_to_converter(Program& p, const Command& command, int retries) {
  reopen_lost_port(p);
  show_effects(p, ask_converter(p.session, command, retries));
}

bool refuse_broadcast(Program& p) {
  if (!p.session.framing().broadcast() || !p.session.config.serial_interface()) return false;
  show_box(error_box("スレーブアドレスを「Broadcast」以外に設定してください。"));
  return true;
}

void send_single_command(Program& p, const Command& command) {
  Exchange& exchange = p.session.operator_road.exchange;
  if (exchange.awaiting_reply()) return;
  exchange.begin_single_command();
  send_to_unit(p, command);
}

}  // namespace orv::win
