// Sending one command to the selected unit: the exchange's bookkeeping, the
// choice of link and, on RS-485, the address field in front of the line.
#pragma once

#include <string_view>

#include "link/exchange.h"
#include "link/framing.h"
#include "link/link.h"
#include "protocol/command.h"

namespace orv {

// The links and how the configured interface uses them.
struct Route {
  Link* serial = nullptr;
  Link* tcp = nullptr;
  bool tcp_interface = false;  // interface_set 1
  SerialFraming framing;
};

// What the operator must be shown after a send.
struct DispatchResult {
  bool sent = false;
  std::string_view failure;           // the warning of a failed TCP/IP send; empty: none
  bool close_current_dialog = false;  // the status window closes on a failed send
};

inline constexpr std::string_view kSocketNotConnected = "Socket が接続されていません";
inline constexpr std::string_view kSocketSendFailed = "Socket 送信";
inline constexpr std::string_view kNoAnswer = "Answer が､きません";
// The command-line tool's port could not take a line (the program's own
// serial link does not detect a failed write: the unanswered command ends
// in the time-out).
inline constexpr std::string_view kSerialWriteFailed = "the serial line could not be written";

// The link could not take the command, or no reply can come any more: the
// exchange ends with send_failed, and the status window closes on it.
DispatchResult send_failed(Exchange& exchange, std::string_view warning);

// Marks a reply as awaited and sends `command` (a complete line with its
// CR LF) over the configured link.
DispatchResult dispatch_command(Exchange& exchange, const Route& route, std::string_view command);

// The serial branch of dispatch_command; the LAN converter's commands use it
// directly because they never travel over TCP/IP. A Broadcast on RS-485
// counts as done at once. A line too long for the port is refused with
// "Command Error" instead of being cut.
DispatchResult serial_send(Exchange& exchange, const Route& route, std::string_view command);

// Sends a built command, or records its refusal ("Command Error" where the
// catalogue says so; a silent refusal changes nothing).
DispatchResult send_command(Exchange& exchange, const Route& route, const Command& command);
DispatchResult send_serial_command(Exchange& exchange, const Route& route, const Command& command);

}  // namespace orv
