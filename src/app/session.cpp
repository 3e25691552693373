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
  // The converter's port and the TCP/IP link's are one value, kept under
  // port_number.
  set_buffer_text(session.settings.converterPortNumber, buffer_text(config.port_number));
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

namespace {

LinkEffects handle_line(Session& session, const LinkEvent& event) {
  StatusReplies* status = session.statusWindowOpen ? &session.status : nullptr;
  ReplyTarget target{session.settings, session.awaitedGlyphCode, status};
  const bool serial = event.connection == kSerialConnection;
  if (serial)
    handle_serial_reply(session.exchange, target, session.framing(), event.text);
  else
    handle_socket_reply(session.exchange, target, event.text);
  LinkEffects effects;
  effects.glyph_updated = target.glyph_updated;
  effects.status_updated =
      !session.status.changedCells.empty() || !session.status.changedLabels.empty();
  effects.reply_arrived = !serial;
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
      if (event.connection == kClientConnection) effects.box = success_box(kSocketConnected);
      break;
    case LinkEvent::Kind::closed:
      if (reply_lost) show_failure(effects, send_failed(exchange, kNoAnswer));
      break;
    case LinkEvent::Kind::failed:
      // The connection is closed already; the box comes after, so nothing
      // is handled twice while it is up.
      if (reply_lost) effects.close_current_dialog = send_failed(exchange, {}).close_current_dialog;
      exchange.condition_reported();
      effects.box = condition_box(kSocketEventError);
      break;
    case LinkEvent::Kind::no_answer:
      if (exchange.awaiting_reply()) show_failure(effects, send_failed(exchange, kNoAnswer));
      break;
  }
  return effects;
}

}  // namespace orv
