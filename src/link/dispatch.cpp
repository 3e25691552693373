#include "link/dispatch.h"

#include "app/app_state.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

void refuse_as_command_error(ReplyWaitState& reply) {
  reply.awaiting_reply = 0;
  reply.wait_ticks = 0;
  reply.result_code = kResultCommandError;
}

bool report_refusal(AppState& state, const Command& command) {
  if (command.refusal == Command::Refusal::command_error)
    state.reply.result_code = kResultCommandError;
  return false;
}

}  // namespace

std::string serial_frame(std::string_view command, int control, int slave_address) {
  if (control != 1) return std::string(command);
  if (slave_address == kBroadcastAddress) return "FF" + std::string(command);
  if (slave_address < 0 || slave_address > 31) slave_address = 0;
  return decimal_text(slave_address, 2) + std::string(command);
}

void dispatch_command(AppState& state, Transport& transport, std::string_view command) {
  ReplyWaitState& reply = state.reply;
  reply.wait_ticks = 1;
  reply.awaiting_reply = 1;
  reply.send_failed = 0;
  if (state.config.interface_set == 0) {
    serial_send(state, transport, command);
  } else if (command.size() > kMaxFramedLine) {
    refuse_as_command_error(reply);
  } else {
    transport.tcp_send(command);
  }
}

void serial_send(AppState& state, Transport& transport, std::string_view command) {
  ReplyWaitState& reply = state.reply;
  reply.wait_ticks = 1;
  reply.awaiting_reply = 1;
  const std::string line = serial_frame(command, state.config.control, state.slaveAddress);
  if (line.size() > kMaxFramedLine) {
    refuse_as_command_error(reply);
    return;
  }
  if (state.config.control == 1 && state.slaveAddress == kBroadcastAddress) {
    // Nobody answers a Broadcast: it is complete as soon as it is written.
    reply.awaiting_reply = 0;
    reply.wait_ticks = 0;
    reply.result_code = kResultNone;
    mark_acknowledged(reply);
  }
  transport.serial_write(line);
}

bool send_command(AppState& state, Transport& transport, const Command& command) {
  if (!command.sendable()) return report_refusal(state, command);
  dispatch_command(state, transport, command.text);
  return true;
}

bool send_serial_command(AppState& state, Transport& transport, const Command& command) {
  if (!command.sendable()) return report_refusal(state, command);
  serial_send(state, transport, command.text);
  return true;
}

bool link_ready(const AppState& state, bool tcp_connected) {
  return state.config.interface_set == 0 || tcp_connected;
}

}  // namespace orv
