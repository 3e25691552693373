// Sending one command to the selected unit: the reply-wait bookkeeping, the
// choice of link and, on RS-485, the address field in front of the line.
#pragma once

#include <string>
#include <string_view>

#include "protocol/command.h"

namespace orv {

struct AppState;

// The largest line the serial path carries, address field and CR LF included.
inline constexpr size_t kMaxFramedLine = 599;

// Where commands leave the program. The serial write is one overlapped write
// that is not waited for; the TCP/IP send owns its own failure reporting.
class Transport {
 public:
  virtual ~Transport() = default;
  virtual void serial_write(std::string_view bytes) = 0;
  virtual void tcp_send(std::string_view command) = 0;
};

// The bytes that go on the serial line: unchanged on RS-232C; on RS-485
// behind "00".."31", or "FF" for Broadcast.
std::string serial_frame(std::string_view command, int control, int slave_address);

// Marks a reply as awaited and sends `command` (a complete line with its
// CR LF) over the configured link.
void dispatch_command(AppState& state, Transport& transport, std::string_view command);

// The serial branch of dispatch_command; the LAN converter's commands use it
// directly because they never travel over TCP/IP. A Broadcast on RS-485
// counts as done at once. A line too long for the port is refused with
// "Command Error" instead of being cut.
void serial_send(AppState& state, Transport& transport, std::string_view command);

// Sends a built command, or reports its refusal (result code 8 where the
// catalogue says so). Returns whether anything was sent.
bool send_command(AppState& state, Transport& transport, const Command& command);
bool send_serial_command(AppState& state, Transport& transport, const Command& command);

// True when a command can leave now: always on the serial line, on TCP/IP
// only while a connection stands.
bool link_ready(const AppState& state, bool tcp_connected);

}  // namespace orv
