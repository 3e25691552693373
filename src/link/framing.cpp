#include "link/framing.h"

#include "protocol/number_text.h"

namespace orv {

std::string serial_frame(std::string_view command, const SerialFraming& framing) {
  if (!framing.rs485) return std::string(command);
  if (framing.broadcast()) return "FF" + std::string(command);
  const int address = framing.slave_address >= 0 && framing.slave_address < kBroadcastAddress
                          ? framing.slave_address
                          : 0;
  return decimal_text(address, 2) + std::string(command);
}

std::string_view without_own_address(std::string_view line, const SerialFraming& framing) {
  if (!framing.rs485 || framing.slave_address < 0 || framing.slave_address > 99) return line;
  if (line.substr(0, 2) == decimal_text(framing.slave_address, 2)) line.remove_prefix(2);
  return line;
}

std::string slave_address_name(int address) {
  return address == kBroadcastAddress ? "Broadcast" : decimal_text(address, 2);
}

std::string com_port_name(int com_port) {
  if (com_port < 0 || com_port > 5) return {};
  return "COM" + std::to_string(com_port + 1);
}

}  // namespace orv
