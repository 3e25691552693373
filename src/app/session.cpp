#include "app/session.h"

#include "link/reply_roads.h"

namespace orv {

SerialFraming Session::framing() const {
  return SerialFraming{config.rs485(), slaveAddress};
}

Route Session::route() const {
  return Route{serial_link, tcp_link, !config.serial_interface(), framing()};
}

void apply_configuration(Session& session, const Configuration& config) {
  session.config = config;
  session.settings.model = config.select_model != 0 ? kModelTarquine : kModelOrvellan;
  session.settings.inputCount = input_count_of(session.settings.model);
}

void begin_whole_read(Session& session) {
  session.reading = session.settings;
  // Empty until the converter reports its port during this read.
  set_buffer_text(session.reading->converterPortNumber, "");
}

void end_whole_read(Session& session, bool completed) {
  if (completed && session.reading) {
    session.settings = std::move(*session.reading);
    // A converter that reported its port (five digits) changes the port in use.
    const std::string_view port = buffer_text(session.settings.converterPortNumber);
    if (port.size() == 5) set_port_number(session, port);
  }
  session.reading.reset();
}

std::string_view port_number(const Session& session) {
  return buffer_text(session.config.port_number);
}

void set_port_number(Session& session, std::string_view text) {
  if (session.profile)
    write_port_number(session.config, *session.profile, text);
  else
    set_buffer_text(session.config.port_number, text.substr(0, kPortNumberBuffer - 1));
}

namespace {

// The unit a serial line reaches: its address on RS-485, nothing to name on
// RS-232C or through a converter.
std::string unit_name(const Session& session, bool serial) {
  return serial && session.config.rs485() ? slave_address_name(session.slaveAddress) : "";
}

void record_traffic(Session& session, bool sent, bool serial, int connection, std::string_view text,
                    std::string note = {}) {
  const Link* link = serial ? session.serial_link : session.tcp_link;
  session.traffic.record(
      TrafficLine{std::chrono::system_clock::now(), sent, link ? link->name_of(connection) : "",
                  unit_name(session, serial), std::string(text), std::move(note)});
}

constexpr std::string_view kUnasked = "unasked";
constexpr std::string_view kRetry = "retry";
constexpr std::string_view kLateAnswer = "late answer, dropped";

// What went out, as it went: on RS-485 behind the unit's address. Its
// reply is the one that is stored.
DispatchResult recorded(Session& session, const DispatchResult& result, bool serial,
                        const Command& command, bool to_converter) {
  if (!result.sent) return result;
  const bool again = session.exchange.tries() > 1;
  session.askedCommand = command.text.substr(0, command.text.find('\r'));
  session.lastCommand = command;
  session.lastToConverter = to_converter;
  const std::string line = serial ? serial_frame(command.text, session.framing()) : command.text;
  record_traffic(session, true, serial, kCommandedConnection, line,
                 again ? std::string(kRetry) : std::string());
  return result;
}

}  // namespace

DispatchResult send_to_unit(Session& session, const Command& command) {
  if (const auto code = requested_glyph_code(command.text)) session.awaitedGlyphCode = *code;
  const Route route = session.route();
  return recorded(session, send_command(session.exchange, route, command), !route.tcp_interface,
                  command, false);
}

DispatchResult send_to_converter(Session& session, const Command& command) {
  return recorded(session, send_serial_command(session.exchange, session.route(), command), true,
                  command, true);
}

DispatchResult send_again(Session& session) {
  session.exchange.sending_again();
  const Command command = session.lastCommand;
  return session.lastToConverter ? send_to_converter(session, command)
                                 : send_to_unit(session, command);
}

namespace {

LinkEffects handle_line(Session& session, const LinkEvent& event) {
  StatusReplies* status = session.statusWindowOpen ? &session.status : nullptr;
  DeviceSettings& settings = session.reading ? *session.reading : session.settings;
  std::string_view asked;
  if (session.exchange.awaiting_reply()) asked = session.askedCommand;
  ReplyTarget target{settings, session.awaitedGlyphCode, status, false, asked};
  const bool serial = event.connection == kSerialConnection;
  const auto now = LateAnswers::Clock::now();
  LinkEffects effects;
  if (session.lateAnswers.drop(event.text, now)) {
    record_traffic(session, false, serial, event.connection, event.text, std::string(kLateAnswer));
    return effects;
  }
  const bool unasked = !session.exchange.awaiting_reply();
  record_traffic(session, false, serial, event.connection, event.text,
                 unasked ? std::string(kUnasked) : std::string());
  if (unasked && session.outcome_box_up) {
    ++session.unasked_lines;
    effects.unasked_counted = true;
    return effects;
  }
  if (serial)
    handle_serial_reply(session.exchange, target, session.framing(), event.text);
  else
    handle_socket_reply(session.exchange, target, event.text);
  if (!unasked && session.exchange.tries() > 1)
    session.lateAnswers.expect(event.text, session.exchange.tries(),
                               now + std::chrono::milliseconds(kTimeoutTicks * kTimer1PeriodMs));
  effects.glyph_updated = target.glyph_updated;
  effects.status_updated =
      !session.status.changedCells.empty() || !session.status.changedLabels.empty();
  return effects;
}

void show_failure(LinkEffects& effects, const DispatchResult& failure) {
  effects.box = warning_box(failure.failure);
  effects.close_current_dialog = failure.close_current_dialog;
}

}  // namespace

LinkEffects handle_link_event(Session& session, const LinkEvent& event) {
  Exchange& exchange = session.exchange;
  const bool reply_lost = event.awaited && exchange.awaiting_reply();
  LinkEffects effects;
  effects.link_changed = event.kind != LinkEvent::Kind::line;
  switch (event.kind) {
    case LinkEvent::Kind::line:
      return handle_line(session, event);
    case LinkEvent::Kind::opened:
      if (event.connection == kClientConnection) {
        session.closed_by_converter = false;
        effects.box = success_box(kSocketConnected);
      }
      break;
    case LinkEvent::Kind::closed:
      if (event.connection == kClientConnection) {
        session.closed_by_converter = true;
        effects.status_note = kClosedByConverter;
      }
      if (reply_lost) show_failure(effects, send_failed(exchange, kNoAnswer));
      break;
    case LinkEvent::Kind::failed:
      // The connection is closed already; the box comes after, so nothing
      // is handled twice while it is up.
      // Another converter's failure is shown but leaves the exchange alone.
      if (reply_lost) {
        effects.close_current_dialog = send_failed(exchange, {}).close_current_dialog;
        exchange.condition_reported();
      }
      effects.box = condition_box(kSocketEventError);
      break;
    case LinkEvent::Kind::no_answer:
      if (exchange.awaiting_reply()) show_failure(effects, send_failed(exchange, kNoAnswer));
      if (session.fleet_run_active) effects.box = {};  // its list says so
      break;
    case LinkEvent::Kind::failed_call:
      effects.box = tcp_link_box(event.text, true);
      break;
    case LinkEvent::Kind::unknown_socket_event:
      effects.box = tcp_link_box(event.text, false);
      break;
    case LinkEvent::Kind::port_lost:
      record_traffic(session, false, true, event.connection, {}, "port lost");
      effects.status_note = port_lost_note(event.text);
      effects.box = warning_box(event.text + " が使えなくなりました。ポートを閉じ、開き直します。");
      break;
  }
  return effects;
}

std::string failure_cause(const LinkEvent& event) {
  switch (event.kind) {
    case LinkEvent::Kind::failed:
      return std::string(kSocketEventError);
    case LinkEvent::Kind::failed_call:  // the message without its "[code]"
      return event.text.substr(0, event.text.rfind('['));
    case LinkEvent::Kind::unknown_socket_event:
      return event.text;
    default:
      return {};
  }
}

void record_repeated_failure(Session& session, const LinkEvent& event) {
  const std::string note = event.kind == LinkEvent::Kind::failed
                               ? std::string(kSocketEventError) + "（接続を閉じました）"
                               : event.text;
  record_traffic(session, false, false, event.connection, {}, note);
}

std::string port_lost_note(std::string_view port) {
  return std::string(port) + " が使えなくなりました。数秒ごとに開き直しています…";
}

std::string port_back_note(std::string_view port) {
  return std::string(port) + " を開き直しました。";
}

std::string unasked_lines_note(int count) {
  return "応答を待っていない行を " + std::to_string(count) +
         " 行受け取りました（トラフィックログに記録）。";
}

std::string repeated_failures_note(const std::string& cause, int count) {
  return cause + " がさらに " + std::to_string(count) + " 回ありました（トラフィックログに記録）。";
}

}  // namespace orv
