#include "options.h"

#include <arpa/inet.h>

#include <cstdlib>

namespace sim {

const char* const kUsage =
    "usage: orvellan-sim [options]\n"
    "Simulates ORVELLAN/TARQUINE units and a TREVALIX converter for the program.\n"
    "\n"
    "  --model orvellan|tarquine   32 or 64 inputs (default orvellan)\n"
    "  --line rs232c|rs485         one unit without address, or an addressed bus (default rs232c)\n"
    "  --units N                   RS-485: units at addresses 00..N-1 (default 1)\n"
    "  --reply-address             RS-485: units put their address in front of replies\n"
    "  --pty PATH                  serve the line on a pseudo-terminal, symlinked at PATH\n"
    "  --listen HOST:PORT          act as a converter in TCP server mode (the program connects)\n"
    "  --connect HOST:PORT         act as converters connecting to the program in server mode\n"
    "  --converters N              how many converters --connect starts (1..200, default 1)\n"
    "  --control HOST:PORT         line-based control channel (send \"help\")\n"
    "  --script FILE               control lines to run at start\n"
    "  --baud N                    pace replies as an 8E1 line at N baud (default: at once)\n"
    "  --reply-delay MS            think time before each reply\n"
    "  --clock-behind S            the units' calendar clocks start S seconds behind the host's\n"
    "  --allow-remote              accept addresses other than loopback\n"
    "  -v                          log every command and reply to stderr\n"
    "  --help                      this text\n";

std::optional<Endpoint> parse_endpoint(const std::string& text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  Endpoint endpoint;
  endpoint.host = text.substr(0, colon);
  if (endpoint.host == "localhost") endpoint.host = "127.0.0.1";
  const std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  endpoint.port = std::atoi(port.c_str());
  in_addr address{};
  if (endpoint.port < 1 || endpoint.port > 65535 ||
      inet_pton(AF_INET, endpoint.host.c_str(), &address) != 1)
    return std::nullopt;
  return endpoint;
}

bool is_loopback(const Endpoint& endpoint) {
  return endpoint.host.rfind("127.", 0) == 0;
}

namespace {

std::optional<int> whole_number(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int value = std::atoi(text.c_str());
  if (value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace

std::variant<Options, std::string> parse_options(int argc, const char* const* argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    auto endpoint = [&](std::optional<Endpoint>& target) -> std::optional<std::string> {
      const auto text = value();
      if (!text) return arg + " needs HOST:PORT";
      target = parse_endpoint(*text);
      if (!target) return arg + ": \"" + *text + "\" is not IPV4-ADDRESS:PORT";
      return std::nullopt;
    };
    auto integer = [&](int low, int high, int& target) -> std::optional<std::string> {
      const auto text = value();
      const auto number = text ? whole_number(*text, low, high) : std::nullopt;
      if (!number)
        return arg + " needs a number from " + std::to_string(low) + " to " + std::to_string(high);
      target = *number;
      return std::nullopt;
    };
    std::optional<std::string> error;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "-v") {
      o.verbose = true;
    } else if (arg == "--reply-address") {
      o.reply_address = true;
    } else if (arg == "--allow-remote") {
      o.allow_remote = true;
    } else if (arg == "--model") {
      const auto text = value();
      if (text == "orvellan")
        o.model = Model::orvellan;
      else if (text == "tarquine")
        o.model = Model::tarquine;
      else
        error = "--model needs orvellan or tarquine";
    } else if (arg == "--line") {
      const auto text = value();
      if (text == "rs232c")
        o.line = LineKind::rs232c;
      else if (text == "rs485")
        o.line = LineKind::rs485;
      else
        error = "--line needs rs232c or rs485";
    } else if (arg == "--units") {
      error = integer(1, kMaxUnits, o.units);
    } else if (arg == "--converters") {
      error = integer(1, 200, o.converters);
    } else if (arg == "--baud") {
      error = integer(1, 1000000, o.baud);
    } else if (arg == "--clock-behind") {
      error = integer(0, 2'000'000'000, o.clock_behind_s);
    } else if (arg == "--reply-delay") {
      error = integer(0, 600000, o.reply_delay_ms);
    } else if (arg == "--pty") {
      const auto text = value();
      if (!text || text->empty())
        error = "--pty needs a path";
      else
        o.pty_path = *text;
    } else if (arg == "--script") {
      const auto text = value();
      if (!text)
        error = "--script needs a file";
      else
        o.script = *text;
    } else if (arg == "--listen") {
      error = endpoint(o.listen);
    } else if (arg == "--connect") {
      error = endpoint(o.connect);
    } else if (arg == "--control") {
      error = endpoint(o.control);
    } else {
      error = "unknown option " + arg;
    }
    if (error) return *error;
  }
  if (o.help) return o;
  if (o.line == LineKind::rs232c && (o.units > 1 || o.reply_address))
    return std::string("--units and --reply-address need --line rs485");
  if (o.converters > 1 && !o.connect) return std::string("--converters needs --connect");
  if (o.pty_path.empty() && !o.listen && !o.connect)
    return std::string("nothing to serve: give --pty, --listen or --connect");
  if (!o.allow_remote) {
    for (const auto* e : {&o.listen, &o.connect, &o.control})
      if (*e && !is_loopback(**e))
        return (*e)->host + " is not a loopback address (use --allow-remote)";
  }
  return o;
}

}  // namespace sim
