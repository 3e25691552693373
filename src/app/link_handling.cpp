#include "app/link_handling.h"

#include "link/reply_roads.h"

namespace orv {
namespace {

constexpr std::string_view kUnasked = "unasked";
constexpr std::string_view kRetry = "retry";
constexpr std::string_view kLateAnswer = "late answer, dropped";

ReplyRoad road_of(Connection connection) {
  return connection.kind == Connection::Kind::serial ? ReplyRoad::serial : ReplyRoad::socket;
}

// The unit a serial line reaches: its address on RS-485, nothing to name on
// RS-232C or through a converter.
std::string unit_name(const Session& session, Connection connection, int address) {
  return connection.kind == Connection::Kind::serial && session.config.rs485()
             ? slave_address_name(address)
             : "";
}

void record_traffic(Session& session, bool sent, Connection connection, int address,
                    std::string_view text, std::string_view note = {}) {
  const Link* link = session.lines.link_of(connection);
  if (!link && connection.kind == Connection::Kind::place) link = session.lines.picked_place;
  session.lines.traffic.record(
      TrafficLine{std::chrono::system_clock::now(), sent, link ? link->name() : "",
                  unit_name(session, connection, address), std::string(text), std::string(note)});
}

ReplyTarget operator_target(Session& session) {
  Document& d = session.document;
  StatusReplies* status = session.monitor.open ? &session.monitor.grid : nullptr;
  return ReplyTarget{d.reading ? *d.reading : d.settings,
                     session.operator_road.awaitedGlyphCode,
                     status,
                     false,
                     {}};
}

void show_status_changes(const Session& session, const ReplyTarget& target, LinkEffects& effects) {
  effects.glyph_updated = effects.glyph_updated || target.glyph_updated;
  const StatusGrid& grid = session.monitor.grid;
  effects.status_updated =
      effects.status_updated || !grid.changedCells.empty() || !grid.changedLabels.empty();
}

void show_dispatch_failure(LinkEffects& effects, const DispatchResult& result) {
  if (!result.failure.empty()) effects.box = warning_box(result.failure);
  effects.close_current_dialog = effects.close_current_dialog || result.close_current_dialog;
}

void operator_settled(Session& session, Connection connection, const Settled& settled,
                      LinkEffects& effects) {
  ReplyTarget target = operator_target(session);
  const DispatchResult result =
      take_settled(session.operator_road.exchange, target, road_of(connection), settled);
  show_status_changes(session, target, effects);
  show_dispatch_failure(effects, result);
  effects.settled.push_back(kOperatorRequester);
}

void deliver(Session& session, Connection connection, const Settled& settled,
             LinkEffects& effects) {
  if (settled.requester == kOperatorRequester)
    return operator_settled(session, connection, settled, effects);
  const auto requester = session.requesters.find(settled.requester);
  if (requester == session.requesters.end()) return;
  requester->second->settled(settled);
  effects.settled.push_back(settled.requester);
}

void take_written(Session& session, Connection connection, const SentWaiting& sent,
                  LinkEffects& effects) {
  for (const Written& written : sent.written)
    record_traffic(session, true, connection, written.address, written.bytes,
                   written.again ? kRetry : std::string_view());
  for (const Settled& settled : sent.settled) deliver(session, connection, settled, effects);
}

void write_waiting(Session& session, Connection connection, Conversation& conversation, Link* link,
                   LinkEffects& effects) {
  if (!link) {
    for (const Settled& settled : conversation.fail_all())
      deliver(session, connection, settled, effects);
    return;
  }
  take_written(session, connection, send_waiting(conversation, *link, session.lines.clock),
               effects);
}

// Where a connection's commands are written from the program: place 0, the
// reserved one, is the picked place's link, as the operator's route has it.
Link* writer_of(const Session& session, Connection connection) {
  if (connection.kind == Connection::Kind::place && connection.place == 0)
    return session.lines.picked_place;
  return session.lines.link_of(connection);
}

LinkEffects ask(Session& session, bool to_converter, const Command& command, int retries) {
  OperatorRoad& road = session.operator_road;
  if (const auto code = requested_glyph_code(command.text)) road.awaitedGlyphCode = *code;
  const Route route = session.route(to_converter);
  const Connection to = to_converter ? Connection::serial_line() : session.selected_connection();
  road.asked_on = to;
  LinkEffects effects;
  const DispatchResult result = dispatch_command(
      road.exchange, route, command,
      Asking{kOperatorRequester, Priority::operator_command, retries, session.lines.clock});
  show_dispatch_failure(effects, result);
  if (result.sent) write_waiting(session, to, *route.conversation, route.link, effects);
  return effects;
}

// A line nobody asked for, of the operator's connection: counted while the
// outcome box is up, otherwise down the operator's road (a condition line
// raises its box; anything else is "Command Error").
bool counts_for_operator(const Session& session, Connection connection) {
  switch (connection.kind) {
    case Connection::Kind::serial:
      return true;
    case Connection::Kind::client:
      return !session.config.serial_interface() && session.config.client_server == 0;
    case Connection::Kind::place:
      return session.lines.server.counts_for_operator(connection.place);
    case Connection::Kind::none:
      break;
  }
  return false;
}

void unasked_line(Session& session, Connection connection, std::string_view line,
                  LinkEffects& effects) {
  if (!counts_for_operator(session, connection)) return;
  if (session.boxes.count_unasked_line()) {
    effects.unasked_counted = true;
    return;
  }
  ReplyTarget target = operator_target(session);
  if (connection.kind == Connection::Kind::serial)
    line = without_own_address(line, session.framing());
  take_reply(session.operator_road.exchange, target, road_of(connection), line);
  show_status_changes(session, target, effects);
}

LinkEffects handle_line(Session& session, const LinkEvent& event) {
  LinkEffects effects;
  const Connection connection = event.connection;
  Conversation* conversation = session.lines.conversation_of(connection);
  if (!conversation) return effects;
  const int address = conversation->outstanding_address().value_or(session.selections.slaveAddress);
  const Conversation::Taken taken = conversation->take_line(event.text, session.lines.clock);
  switch (taken.kind) {
    case Conversation::Taken::Kind::late_answer:
      record_traffic(session, false, connection, address, event.text, kLateAnswer);
      break;
    case Conversation::Taken::Kind::answer:
      record_traffic(session, false, connection, address, event.text);
      if (taken.settled) deliver(session, connection, *taken.settled, effects);
      write_waiting(session, connection, *conversation, writer_of(session, connection), effects);
      break;
    case Conversation::Taken::Kind::unasked:
      record_traffic(session, false, connection, address, event.text, kUnasked);
      unasked_line(session, connection, event.text, effects);
      break;
  }
  return effects;
}

// The connection went: what waited on it ends so. A socket failure is its
// own box ("ソケットイベントにエラーが発生しました。"), which also ends the
// operator's wait; a close ends it with "Answer が､きません".
void end_waiting_on(Session& session, Connection connection, bool failed, LinkEffects& effects) {
  Conversation* conversation = session.lines.conversation_of(connection);
  if (!conversation) return;
  for (const Settled& settled : conversation->fail_all()) {
    if (failed && settled.requester == kOperatorRequester) {
      Exchange& exchange = session.operator_road.exchange;
      effects.close_current_dialog = send_failed(exchange, {}).close_current_dialog;
      exchange.condition_reported();
      effects.settled.push_back(kOperatorRequester);
      continue;
    }
    deliver(session, connection, settled, effects);
  }
}

void tick_one(Session& session, Connection connection, Conversation& conversation, Link* link,
              LinkEffects& effects) {
  const Conversation::Ticked ticked = conversation.tick(session.lines.clock);
  if (ticked.resend && link)
    take_written(session, connection, send_again(conversation, *link, *ticked.resend), effects);
  if (ticked.settled) deliver(session, connection, *ticked.settled, effects);
  write_waiting(session, connection, conversation, link, effects);
}

}  // namespace

LinkEffects ask_unit(Session& session, const Command& command, int retries) {
  return ask(session, false, command, retries);
}

LinkEffects ask_converter(Session& session, const Command& command, int retries) {
  return ask(session, true, command, retries);
}

void abandon_operator(Session& session) {
  session.operator_road.exchange.abandon();
  Lines& lines = session.lines;
  lines.serial.cancel(kOperatorRequester);
  lines.client.cancel(kOperatorRequester);
  for (Conversation& place : lines.places) place.cancel(kOperatorRequester);
}

LinkEffects ask_on(Session& session, Connection to, int address, const Command& command,
                   const Asking& asking, Exchange& exchange) {
  LinkEffects effects;
  Conversation* conversation = session.lines.conversation_of(to);
  Route route;
  route.conversation = conversation;
  route.link = session.lines.link_of(to);
  route.road = road_of(to);
  route.rs485 = to.kind == Connection::Kind::serial && session.config.rs485();
  route.address = address;
  if (route.road == ReplyRoad::socket) route.timeout = session.route().timeout;
  const DispatchResult result = dispatch_command(exchange, route, command, asking);
  if (!result.sent) effects.settled.push_back(asking.requester);  // its run hears of it at once
  if (result.sent && conversation) write_waiting(session, to, *conversation, route.link, effects);
  return effects;
}

LinkEffects write_what_waits(Session& session, Connection connection) {
  LinkEffects effects;
  if (Conversation* conversation = session.lines.conversation_of(connection))
    write_waiting(session, connection, *conversation, writer_of(session, connection), effects);
  return effects;
}

LinkEffects handle_link_event(Session& session, const LinkEvent& event) {
  LinkEffects effects;
  effects.link_changed = event.kind != LinkEvent::Kind::line;
  const Connection connection = event.connection;
  switch (event.kind) {
    case LinkEvent::Kind::line:
      return handle_line(session, event);
    case LinkEvent::Kind::opened:
      if (connection.kind == Connection::Kind::client) {
        session.operator_road.closed_by_converter = false;
        effects.box = success_box(kSocketConnected);
      }
      break;
    case LinkEvent::Kind::closed:
      if (connection.kind == Connection::Kind::client) {
        session.operator_road.closed_by_converter = true;
        effects.status_note = kClosedByConverter;
      }
      end_waiting_on(session, connection, false, effects);
      break;
    case LinkEvent::Kind::failed:
      // The connection is closed already; the box comes after, so nothing
      // is handled twice while it is up.
      end_waiting_on(session, connection, true, effects);
      effects.box = condition_box(kSocketEventError);
      break;
    case LinkEvent::Kind::failed_call:
      effects.box = tcp_link_box(event.text, true);
      break;
    case LinkEvent::Kind::unknown_socket_event:
      effects.box = tcp_link_box(event.text, false);
      break;
    case LinkEvent::Kind::port_lost:
      record_traffic(session, false, connection, session.selections.slaveAddress, {}, "port lost");
      effects.status_note = port_lost_note(event.text);
      effects.box = warning_box(event.text + " が使えなくなりました。ポートを閉じ、開き直します。");
      break;
  }
  return effects;
}

LinkEffects tick_conversations(Session& session) {
  Lines& lines = session.lines;
  lines.clock += std::chrono::milliseconds(kTimer1PeriodMs);
  LinkEffects effects;
  tick_one(session, Connection::serial_line(), lines.serial, lines.serial_link, effects);
  tick_one(session, Connection::client(), lines.client, lines.client_link, effects);
  for (int place = 0; place <= kServerPlaces; ++place)
    tick_one(session, Connection::server_place(place), lines.places[static_cast<size_t>(place)],
             writer_of(session, Connection::server_place(place)), effects);
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
  record_traffic(session, false, event.connection, 0, {}, note);
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
