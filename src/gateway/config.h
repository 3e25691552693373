// The gateway's configuration: one UTF-8 INI file. [gateway] for what is
// the gateway's own, [port DEVICE] for a serial port's line settings, and
// a [unit ID] section for each unit it serves, naming how the unit is
// reached (a serial port, and its address on RS-485; a converter the
// gateway connects to; or a converter that connects in). Read and checked
// whole: a bad file is refused with its line and the reason, before
// anything starts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gateway/schedule.h"

namespace orv::gateway {

// An IPv4 address and a TCP port.
struct Endpoint {
  std::string host = "127.0.0.1";
  int port = 0;
  bool loopback() const { return host.rfind("127.", 0) == 0; }
  std::string text() const { return host + ":" + std::to_string(port); }
  bool operator==(const Endpoint&) const = default;
};

struct PortConfig {
  std::string device;
  int baud = 9600;
};

struct UnitConfig {
  std::string id;
  std::string name;  // the friendly name; the id when none is given
  enum class Way { serial, tcp, converter };
  Way way = Way::serial;
  std::string serial;  // Way::serial: the port ("/dev/ttyUSB0", "COM3")
  bool rs485 = false;
  int address = -1;                        // RS-485: 0..31
  Endpoint converter_at;                   // Way::tcp: the converter the gateway connects to
  std::string converter;                   // Way::converter: the address it connects in from
  int model = 0;                           // kModelOrvellan or kModelTarquine
  std::optional<Endpoint> raw;             // its converter-compatible port
  std::optional<Endpoint> videohub;        // its Videohub port
  std::vector<std::string> output_labels;  // as Videohub clients see its outputs
  std::string backups;                     // the folder of its backups; empty: none
  int keep = 30;                           // how many backups are kept
  std::string approved;                    // its approved settings file; empty: none
  int line = 0;                            // where its section begins, for messages
};

struct GatewayConfig {
  Endpoint http{"127.0.0.1", 0};     // the HTTP API and the web panel; port 0: none
  std::string token;                 // needed on the API when `http` is not loopback
  std::vector<std::string> clients;  // addresses allowed on non-loopback ports
  std::optional<Endpoint> server;    // where converters that connect in are accepted
  int timeout_ms = 3000;             // a command's reply time-out
  int retries = 2;                   // more tries of a command whose reply is late
  std::string log;                   // events as JSON lines; empty: none
  long long log_limit = 1'000'000;   // bytes, after which the log starts again (one kept)
  std::optional<Endpoint> webhook;   // where each event is POSTed as JSON
  std::string webhook_host;          // its Host header
  std::string webhook_target;        // its path
  std::vector<ScheduleEntry> schedules;
  std::map<std::string, PortConfig> ports;
  std::vector<UnitConfig> units;

  // Whether `address` may use a port listening at `at`: anyone on a
  // loopback port, only the listed clients elsewhere.
  bool admits(const Endpoint& at, const std::string& address) const;
  // The line settings of a serial port (its [port] section, or the defaults).
  PortConfig port(const std::string& device) const;
};

struct ConfigError {
  int line = 0;  // 1-based; 0 for the file as a whole
  std::string reason;
  std::string text() const;  // "line 12: ..." or the reason alone
};

// The configuration `text` holds, or nothing with `error`.
std::optional<GatewayConfig> parse_gateway_config(std::string_view text, ConfigError& error);

// The configuration file at `path`; false with "PATH: line N: reason".
// Relative paths in it (log, backups, approved) are taken from the file's
// own folder.
bool load_gateway_config(const std::string& path, GatewayConfig& config, std::string& error);

}  // namespace orv::gateway
