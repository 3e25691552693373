// One line of the gateway: a serial port with its bus, a converter the
// gateway connects to, or a converter that connects in. Each has one
// conversation (one command outstanding; requesters queued, a client's
// command before a poll; the RS-485 address added and removed; each answer
// to the requester that asked), its transport on Asio, and the polling of
// its units' live state.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/serial_port.hpp>
#include <boost/asio/steady_timer.hpp>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gateway/config.h"
#include "gateway/events.h"
#include "gateway/poller.h"
#include "link/conversation.h"
#include "link/line_assembler.h"
#include "link/link.h"
#include "protocol/device_settings.h"
#include "protocol/replies.h"
#include "status/status_grid.h"

namespace orv::gateway {

namespace asio = boost::asio;
using boost::system::error_code;
using tcp = asio::ip::tcp;

// The steady clock as the conversations keep time.
Instant steady_now();

// What a poll learned of a unit, for those who show its state.
struct Polled {
  bool online_changed = false;
  std::vector<int> routing;  // outputs whose input or switching pattern changed
  bool pattern_changed = false;
};

// A unit as the gateway serves it: its configuration and what the polls
// last read of it.
struct Unit {
  UnitConfig config;
  class Line* line = nullptr;
  size_t on_line = 0;   // its index among the line's units
  StatusGrid grid;      // what each output shows, and which run a switching pattern
  DeviceSettings read;  // the pattern in force (currentScreenPattern), as read
  bool pattern_known = false;
  bool online = false;
  // Told after every poll that changed something.
  std::function<void(const Polled&)> on_polled;
  // A command's address field: the unit's on RS-485, none otherwise.
  int address_field() const { return config.rs485 ? config.address : -1; }
};

// An answer taken into the unit's state through the reply table, as the
// program takes it: the acknowledgement (none), the condition the unit
// reported, or Command Error for a line that answers nothing it asked.
ResultCode take_answer(Unit& unit, const Settled& settled);

class Line : public Link {
 public:
  Line(asio::io_context& io, const GatewayConfig& config, Events& events, std::vector<Unit*> units);
  ~Line() override = default;
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  // A requester's share of the line: how each of its commands ends
  // reaches `settled`; `forget` cancels what it still waits for.
  using Settle = std::function<void(const Settled&)>;
  RequesterId add_requester(Settle settled);
  void forget(RequesterId requester);
  // Queues a command and writes what is due.
  void ask(Request request);

  const std::vector<Unit*>& units() const { return units_; }
  const GatewayConfig& config() const { return config_; }
  // The unit's pattern in force is read at its next poll (a change seen at
  // its outputs may be a pattern recalled at its front panel).
  void read_pattern_soon(const Unit& unit) { poller_.read_pattern_soon(unit.on_line); }
  virtual void start() = 0;
  virtual void stop() = 0;

  // Link: the bytes go to the transport's write queue.
  bool ready() const override { return open_; }
  bool send(std::string_view bytes) override;
  std::string name() const override;

 protected:
  // What the transports report.
  void opened();
  // The line stops for good: no more polls, no more timers, and what
  // waited on it ends. Each transport's stop() calls it.
  void halt();
  void took(std::string_view bytes);
  void lost(const std::string& why);
  // Writes the queue's front; the transport calls wrote() when it is out.
  virtual void write_front() = 0;
  void wrote(const error_code& failed);
  // Closes the transport and opens it again later: a write the port does
  // not take within the time a reply may take (a handshake that never lets
  // it go) holds every later command.
  virtual void reset(const std::string& why) = 0;

  asio::io_context& io_;
  const GatewayConfig& config_;
  Events& events_;
  std::deque<std::string> outgoing_;
  bool writing_ = false;
  Instant write_began_{};

 private:
  void pump();
  void arm_timer();
  void on_timer();
  void deliver(const Settled& settled);
  void poll_settled(const Settled& settled);
  void ask_poll(Instant now);

  std::vector<Unit*> units_;
  bool open_ = false;
  bool pumping_ = false;  // a requester that asks from its settle waits for the loop
  bool pump_again_ = false;
  bool halted_ = false;
  Conversation conversation_;
  LineAssembler lines_;
  asio::steady_timer timer_;
  Poller poller_;
  std::map<RequesterId, Settle> requesters_;
  RequesterId poll_requester_;  // after requesters_: it is the first of them
};

// The lines, by how they reach their units; each keeps itself open
// (reopening a lost port, reconnecting to its converter) until stop().
std::unique_ptr<Line> serial_line(asio::io_context& io, const GatewayConfig& config, Events& events,
                                  std::vector<Unit*> units, const PortConfig& port);
std::unique_ptr<Line> client_line(asio::io_context& io, const GatewayConfig& config, Events& events,
                                  Unit& unit);

// The line of a converter that connects in: idle until the gateway hands it
// the connection of its address, which a new connection replaces.
class ConverterLine : public Line {
 public:
  ConverterLine(asio::io_context& io, const GatewayConfig& config, Events& events, Unit& unit);
  void start() override {}
  void stop() override;
  void take(tcp::socket socket);

 private:
  void read();
  void write_front() override;
  void reset(const std::string& why) override { close(why); }
  void close(const std::string& why);

  tcp::socket socket_;
  char buffer_[1024];
  unsigned generation_ = 0;  // of the connection, so a late handler of an old one is ignored
};

}  // namespace orv::gateway
