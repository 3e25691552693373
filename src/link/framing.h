// How commands travel on the serial line: on RS-485 every command carries
// the unit's two-digit slave address in front ("FF" for Broadcast), and a
// reply may carry it back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

inline constexpr int kBroadcastAddress = 32;   // slave address "Broadcast", "FF" on the wire
inline constexpr int kSlaveAddressItems = 33;  // "00".."31", "Broadcast"

// The largest line the serial path carries, address field and CR LF included.
inline constexpr size_t kMaxFramedLine = 599;

struct SerialFraming {
  bool rs485 = false;
  int slave_address = 0;  // 0..31, or kBroadcastAddress
  bool broadcast() const { return rs485 && slave_address == kBroadcastAddress; }
};

// The bytes that go on the serial line: unchanged on RS-232C; on RS-485
// behind "00".."31", or "FF" for Broadcast.
std::string serial_frame(std::string_view command, const SerialFraming& framing);

// A reply without the selected unit's address field, when it carries one.
std::string_view without_own_address(std::string_view line, const SerialFraming& framing);

// "00".."31", "Broadcast": the items of every dialog's slave address list.
std::string slave_address_name(int address);

// "COM1".."COM6" for com_port 0..5; empty outside.
std::string com_port_name(int com_port);

}  // namespace orv
