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

DispatchResult send_to_unit(Session& session, const Command& command) {
  if (const auto code = requested_glyph_code(command.text)) session.awaitedGlyphCode = *code;
  return send_command(session.exchange, session.route(), command);
}

DispatchResult send_to_converter(Session& session, const Command& command) {
  return send_serial_command(session.exchange, session.route(), command);
}

ReplyEffects handle_link_event(Session& session, const LinkEvent& event) {
  if (event.kind != LinkEvent::Kind::line) return {};
  ReplyTarget target{session.settings, session.awaitedGlyphCode, &session.status};
  if (event.connection == kSerialConnection)
    handle_serial_reply(session.exchange, target, session.framing(), event.text);
  else
    handle_socket_reply(session.exchange, target, event.text);
  return ReplyEffects{target.glyph_updated};
}

}  // namespace orv
