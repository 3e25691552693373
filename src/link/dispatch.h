// Sending one command: the requester's exchange is marked, the command is
// queued on the conversation of the unit's connection, and the owner of the
// conversation writes what it hands out (send_waiting).
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "link/conversation.h"
#include "link/exchange.h"
#include "link/framing.h"
#include "link/link.h"
#include "protocol/command.h"
#include "protocol/replies.h"

namespace orv {

// The way to one unit: the conversation of its connection, the link that
// carries the bytes there, the road its replies take, and its address on
// an RS-485 bus.
struct Route {
  Conversation* conversation = nullptr;
  Link* link = nullptr;  // null: no connection stands
  ReplyRoad road = ReplyRoad::serial;
  int address = 0;  // RS-485: 0..31, or kBroadcastAddress
  bool rs485 = false;
  // How long a reply may take on this road before the command is tried
  // again or ends unanswered.
  std::chrono::milliseconds timeout{kTimeoutTicks * kTimer1PeriodMs};
  bool broadcast() const { return rs485 && address == kBroadcastAddress; }
};

// Who asks, how urgently, how often a late answer is asked for again, and
// the time on the owner's clock.
struct Asking {
  RequesterId requester = 0;
  Priority priority = Priority::operator_command;
  int retries = 0;
  Instant now{};
};

// What the operator must be shown after a send.
struct DispatchResult {
  bool sent = false;
  std::string_view failure;           // the warning of a failed send; empty: none
  bool close_current_dialog = false;  // the status window closes on a failed send
};

inline constexpr std::string_view kSocketNotConnected = "Socket が接続されていません";
inline constexpr std::string_view kSocketSendFailed = "Socket 送信";
inline constexpr std::string_view kNoAnswer = "Answer が､きません";
// A serial port could not take a line (the program's own serial link does
// not detect a failed write: the unanswered command ends in the time-out).
inline constexpr std::string_view kSerialWriteFailed = "the serial line could not be written";

// The link could not take the command, or no reply can come any more: the
// exchange ends with send_failed, and the status window closes on it.
DispatchResult send_failed(Exchange& exchange, std::string_view warning);

// Marks a reply as awaited and queues `command` on the route's
// conversation; on TCP/IP without a connection it fails at once. A command
// the catalogue refused records its refusal ("Command Error" where the
// catalogue says so); a line too long for the port is refused the same way
// instead of being cut. Nothing is written here: see send_waiting().
DispatchResult dispatch_command(Exchange& exchange, const Route& route, const Command& command,
                                const Asking& asking);

// What send_waiting() did: the bytes written, in order (each with whether it
// was a command sent again), and the requests that ended as they were
// written (a Broadcast) or could not be (`link_failed`).
struct Written {
  std::string bytes;
  bool again = false;
  int address = -1;  // RS-485: the unit it went to
};
struct SentWaiting {
  std::vector<Written> written;
  std::vector<Settled> settled;
};

// Writes what the conversation hands out while its line is free.
SentWaiting send_waiting(Conversation& conversation, Link& link, Instant now);

// A late answer's command once more, as the conversation's tick asks; a
// write the link refuses ends the command.
SentWaiting send_again(Conversation& conversation, Link& link, const std::string& bytes);

}  // namespace orv
