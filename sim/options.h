// Command-line options of orvellan-sim.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "bus.h"

namespace sim {

struct Endpoint {
  std::string host;
  int port = 0;
};

struct Options {
  Model model = Model::orvellan;
  LineKind line = LineKind::rs232c;
  int units = 1;
  bool reply_address = false;
  std::string pty_path;
  std::optional<Endpoint> listen;
  std::optional<Endpoint> connect;
  int converters = 1;
  std::optional<Endpoint> control;
  std::string script;
  int baud = 0;
  int reply_delay_ms = 0;
  int clock_behind_s = 0;
  bool verbose = false;
  bool allow_remote = false;
  bool help = false;
};

// The options, or a one-line reason why they cannot be used.
std::variant<Options, std::string> parse_options(int argc, const char* const* argv);

// "HOST:PORT" with an IPv4 address or "localhost".
std::optional<Endpoint> parse_endpoint(const std::string& text);
bool is_loopback(const Endpoint& endpoint);

extern const char* const kUsage;

}  // namespace sim
