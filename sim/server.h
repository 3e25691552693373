// orvellan-sim's transports: the pseudo-terminal, the TCP sockets of the
// converter roles and the control channel, served by one poll loop.
#pragma once

#include <csignal>
#include <memory>
#include <string>

#include "options.h"
#include "simulator.h"

namespace sim {

class Server {
 public:
  Server(const Options& options, Simulator& simulator);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Opens the pty, the listening sockets and the converters' connections;
  // an empty string on success, else a one-line reason.
  std::string open();
  // Serves until `stop` becomes non-zero.
  void run(const volatile std::sig_atomic_t& stop);
  // What the simulator serves, for the start-up line.
  std::string describe() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sim
