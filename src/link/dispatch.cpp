#include "link/dispatch.h"

namespace orv {

DispatchResult send_failed(Exchange& exchange, std::string_view warning) {
  exchange.send_failure();
  DispatchResult result{false, warning, exchange.close_on_failure()};
  exchange.set_close_on_failure(false);
  return result;
}

namespace {

DispatchResult tcp_send(Exchange& exchange, const Route& route, std::string_view command) {
  exchange.sent();
  if (!route.tcp || !route.tcp->ready()) return send_failed(exchange, kSocketNotConnected);
  if (command.size() > kMaxFramedLine) {
    exchange.refused();
    return {};
  }
  if (!route.tcp->send(command)) return send_failed(exchange, kSocketSendFailed);
  return DispatchResult{true, {}, false};
}

DispatchResult record_refusal(Exchange& exchange, const Command& command) {
  if (command.refusal == Command::Refusal::command_error) exchange.refused();
  return {};
}

}  // namespace

// Each road marks the command sent once: a second mark would take a retry
// for a new command and let a silent unit be asked again without end.
DispatchResult dispatch_command(Exchange& exchange, const Route& route, std::string_view command) {
  return route.tcp_interface ? tcp_send(exchange, route, command)
                             : serial_send(exchange, route, command);
}

DispatchResult serial_send(Exchange& exchange, const Route& route, std::string_view command) {
  exchange.sent();
  const std::string line = serial_frame(command, route.framing);
  if (line.size() > kMaxFramedLine) {
    exchange.refused();
    return {};
  }
  // Nobody answers a Broadcast: it is complete as soon as it is written.
  if (route.framing.broadcast()) exchange.sent_without_reply();
  if (route.serial && !route.serial->send(line)) return send_failed(exchange, kSerialWriteFailed);
  return DispatchResult{true, {}, false};
}

DispatchResult send_command(Exchange& exchange, const Route& route, const Command& command) {
  if (!command.sendable()) return record_refusal(exchange, command);
  return dispatch_command(exchange, route, command.text);
}

DispatchResult send_serial_command(Exchange& exchange, const Route& route, const Command& command) {
  if (!command.sendable()) return record_refusal(exchange, command);
  return serial_send(exchange, route, command.text);
}

}  // namespace orv
