// A unit's converter-compatible port: raw TCP, one line in, its reply out,
// as a LAN converter gives it. The program's TCP/IP client mode and any
// script that speaks the unit's lines use the unit through it at the same
// time as everyone else: each line waits its turn in the unit's line's
// queue, and each client sees only the replies to its own lines. A line
// that cannot go out within the program's reply bound is not sent at all.
// Lines are bounded, clients per port are bounded, and an idle connection
// is closed.
#pragma once

#include <boost/asio/ip/tcp.hpp>

#include <memory>
#include <set>
#include <string>

#include "gateway/config.h"
#include "gateway/events.h"
#include "gateway/line.h"

namespace orv::gateway {

class RawPort {
 public:
  static constexpr size_t kMaxClients = 16;
  static constexpr size_t kMaxWaitingLines = 16;  // a client's lines not yet answered
  static constexpr std::chrono::minutes kIdle{10};
  // The program's TCP/IP reply bound: a line not sent by then is dropped.
  static constexpr std::chrono::milliseconds kQueueBound{1800};

  RawPort(asio::io_context& io, const GatewayConfig& config, Unit& unit);
  ~RawPort();
  RawPort(const RawPort&) = delete;
  RawPort& operator=(const RawPort&) = delete;

  // Binds and listens; false with `error` when the address cannot be had.
  bool listen(std::string& error);
  void start();
  void stop();

  class Client;

 private:
  void accept();

  const GatewayConfig& config_;
  Unit& unit_;
  tcp::acceptor acceptor_;
  std::set<std::shared_ptr<Client>> clients_;
};

}  // namespace orv::gateway
