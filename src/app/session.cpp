#include "app/session.h"

namespace orv {

Conversation* Lines::conversation_of(Connection connection) {
  switch (connection.kind) {
    case Connection::Kind::serial:
      return &serial;
    case Connection::Kind::client:
      return &client;
    case Connection::Kind::place:
      return connection.valid() ? &places[static_cast<size_t>(connection.place)] : nullptr;
    case Connection::Kind::none:
      break;
  }
  return nullptr;
}

Link* Lines::link_of(Connection connection) const {
  switch (connection.kind) {
    case Connection::Kind::serial:
      return serial_link;
    case Connection::Kind::client:
      return client_link;
    case Connection::Kind::place:
      return connection.valid() ? place_links[static_cast<size_t>(connection.place)] : nullptr;
    case Connection::Kind::none:
      break;
  }
  return nullptr;
}

SerialFraming Session::framing() const {
  return SerialFraming{config.rs485(), selections.slaveAddress};
}

Connection Session::selected_connection() const {
  if (config.serial_interface()) return Connection::serial_line();
  if (config.client_server == 0) return Connection::client();
  return Connection::server_place(lines.server.picked());
}

Route Session::route(bool to_converter) {
  // The bound on a TCP/IP reply is shorter than timer 1's fifteen ticks
  // (2.85 s), so that a silent converter is reported as such ("Answer が､
  // きません") before the reply presentation would call it "No Connect";
  // long enough for the longest reply (586 bytes) through a converter at
  // 9600 baud.
  constexpr std::chrono::milliseconds kSocketReplyBound{2000};
  Route r;
  if (to_converter || config.serial_interface()) {
    r.conversation = &lines.serial;
    r.link = lines.serial_link;
    r.rs485 = config.rs485();
    r.address = selections.slaveAddress;
    return r;
  }
  r.road = ReplyRoad::socket;
  r.timeout = kSocketReplyBound;
  const Connection to = selected_connection();
  r.link = to.kind == Connection::Kind::client ? lines.client_link : lines.picked_place;
  // With no place picked, commands go to the reserved place 0, which no
  // converter holds: the send fails with "Socket 送信", as when the picked
  // converter went.
  r.conversation = to.valid() ? lines.conversation_of(to) : &lines.places[0];
  return r;
}

void apply_configuration(Session& session, const Configuration& config) {
  session.config = config;
  session.document.settings.model = config.select_model != 0 ? kModelTarquine : kModelOrvellan;
  session.document.settings.inputCount = input_count_of(session.document.settings.model);
}

void begin_whole_read(Session& session) {
  session.document.reading = session.document.settings;
  // Empty until the converter reports its port during this read.
  set_buffer_text(session.document.reading->converterPortNumber, "");
}

void end_whole_read(Session& session, bool completed) {
  Document& d = session.document;
  if (completed && d.reading) {
    d.settings = std::move(*d.reading);
    // A converter that reported its port (five digits) changes the port in use.
    const std::string_view port = buffer_text(d.settings.converterPortNumber);
    if (port.size() == 5) set_port_number(session, port);
  }
  d.reading.reset();
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

}  // namespace orv
