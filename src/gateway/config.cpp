#include "gateway/config.h"

#include <algorithm>
#include <functional>
#include <set>

#include "link/framing.h"
#include "protocol/device_settings.h"
#include "settings_file/file_system.h"

namespace orv::gateway {
namespace {

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// A value without its comment: ";" or "#" after a blank, or at its start.
std::string_view without_comment(std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i)
    if ((value[i] == ';' || value[i] == '#') &&
        (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t'))
      return trimmed(value.substr(0, i));
  return trimmed(value);
}

std::optional<int> number_in(std::string_view text, int low, int high) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  const int value = std::stoi(std::string(text));
  if (value < low || value > high) return std::nullopt;
  return value;
}

bool is_ipv4(std::string_view text) {
  int parts = 0;
  for (size_t start = 0; start <= text.size(); ++parts) {
    const size_t dot = std::min(text.find('.', start), text.size());
    if (!number_in(text.substr(start, dot - start), 0, 255) || dot - start > 3) return false;
    start = dot + 1;
  }
  return parts == 4;
}

// "PORT" on 127.0.0.1, or "ADDRESS:PORT".
std::optional<Endpoint> endpoint_of(std::string_view text, bool port_alone_allowed) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    if (!port_alone_allowed) return std::nullopt;
    const auto port = number_in(text, 1, 65535);
    if (!port) return std::nullopt;
    return Endpoint{"127.0.0.1", *port};
  }
  const auto port = number_in(text.substr(colon + 1), 1, 65535);
  const std::string host(text.substr(0, colon));
  if (!port || !is_ipv4(host)) return std::nullopt;
  return Endpoint{host, *port};
}

bool is_id(std::string_view id) {
  return !id.empty() && id.size() <= 32 && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
  });
}

// The items between commas, trimmed; empty ones kept where their place
// counts.
std::vector<std::string> comma_fields(std::string_view text) {
  std::vector<std::string> items;
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    items.emplace_back(trimmed(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return items;
}

std::vector<std::string> comma_list(std::string_view text) {
  std::vector<std::string> items = comma_fields(text);
  std::erase_if(items, [](const std::string& item) { return item.empty(); });
  return items;
}

// "http://ADDRESS:PORT/PATH" (the port 80 when none is given).
bool webhook_of(std::string_view url, GatewayConfig& c) {
  constexpr std::string_view scheme = "http://";
  if (!url.starts_with(scheme)) return false;
  url.remove_prefix(scheme.size());
  const size_t slash = std::min(url.find('/'), url.size());
  const std::string_view host = url.substr(0, slash);
  const auto at = host.find(':') == std::string_view::npos
                      ? endpoint_of(std::string(host) + ":80", false)
                      : endpoint_of(host, false);
  if (!at) return false;
  c.webhook = *at;
  c.webhook_host = std::string(host);
  c.webhook_target = slash < url.size() ? std::string(url.substr(slash)) : "/";
  return true;
}

struct Entry {
  std::string key;
  std::string value;
  int line = 0;
};

struct Section {
  std::string kind;  // "gateway", "port", "unit"
  std::string name;  // the word after the kind
  int line = 0;
  std::vector<Entry> entries;
};

// Each key a section takes and what its value does to the configuration;
// an error text for a value it refuses.
template <typename Target>
using Setter = std::function<std::string(Target&, const std::string& value)>;
template <typename Target>
using Keys = std::vector<std::pair<std::string_view, Setter<Target>>>;

const Keys<GatewayConfig>& gateway_keys() {
  static const Keys<GatewayConfig> keys{
      {"clients",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         c.clients = comma_list(v);
         for (const std::string& client : c.clients)
           if (!is_ipv4(client)) return "\"" + client + "\" is not an IPv4 address";
         return {};
       }},
      {"server",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         c.server = endpoint_of(v, true);
         return c.server ? "" : "server needs ADDRESS:PORT (or PORT on 127.0.0.1)";
       }},
      {"http",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         const auto at = endpoint_of(v, true);
         if (at) c.http = *at;
         return at ? "" : "http needs PORT (on 127.0.0.1) or ADDRESS:PORT";
       }},
      {"token",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         c.token = v;
         const bool printable =
             std::all_of(v.begin(), v.end(), [](char ch) { return ch > ' ' && ch < 127; });
         return v.size() >= 16 && printable ? "" : "token needs at least 16 characters, no blanks";
       }},
      {"log",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         c.log = v;
         return v.empty() ? "log needs a file" : "";
       }},
      {"log_limit",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         const auto kb = number_in(v, 10, 1'000'000);
         if (kb) c.log_limit = *kb * 1000LL;
         return kb ? "" : "log_limit needs kilobytes from 10 to 1000000";
       }},
      {"webhook",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         return webhook_of(v, c) ? "" : "webhook needs http://ADDRESS:PORT/PATH";
       }},
      {"timeout",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         const auto ms = number_in(v, 100, 60000);
         if (ms) c.timeout_ms = *ms;
         return ms ? "" : "timeout needs milliseconds from 100 to 60000";
       }},
      {"retries",
       [](GatewayConfig& c, const std::string& v) -> std::string {
         const auto n = number_in(v, 0, 9);
         if (n) c.retries = *n;
         return n ? "" : "retries needs a count from 0 to 9";
       }},
  };
  return keys;
}

const Keys<PortConfig>& port_keys() {
  static const Keys<PortConfig> keys{
      {"baud",
       [](PortConfig& p, const std::string& v) -> std::string {
         const auto baud = number_in(v, 300, 115200);
         if (baud) p.baud = *baud;
         return baud ? "" : "baud needs a rate from 300 to 115200";
       }},
  };
  return keys;
}

const Keys<UnitConfig>& unit_keys() {
  static const Keys<UnitConfig> keys{
      {"name",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.name = v;
         return v.empty() ? "name is empty" : "";
       }},
      {"serial",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.way = UnitConfig::Way::serial;
         u.serial = v;
         return v.empty() ? "serial needs a port (/dev/ttyUSB0, COM3)" : "";
       }},
      {"line",
       [](UnitConfig& u, const std::string& v) -> std::string {
         if (v != "rs232c" && v != "rs485") return "line is rs232c or rs485";
         u.rs485 = v == "rs485";
         return {};
       }},
      {"address",
       [](UnitConfig& u, const std::string& v) -> std::string {
         const auto address = v.size() == 2 ? number_in(v, 0, kBroadcastAddress - 1) : std::nullopt;
         if (address) u.address = *address;
         return address ? "" : "address needs two digits from 00 to 31";
       }},
      {"model",
       [](UnitConfig& u, const std::string& v) -> std::string {
         if (v != "orvellan" && v != "tarquine") return "model is orvellan or tarquine";
         u.model = v == "tarquine" ? kModelTarquine : kModelOrvellan;
         return {};
       }},
      {"raw",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.raw = endpoint_of(v, true);
         return u.raw ? "" : "raw needs PORT (on 127.0.0.1) or ADDRESS:PORT";
       }},
      {"videohub",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.videohub = endpoint_of(v, true);
         return u.videohub ? "" : "videohub needs PORT (on 127.0.0.1) or ADDRESS:PORT";
       }},
      {"output_labels",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.output_labels = comma_fields(v);
         if (u.output_labels.size() > static_cast<size_t>(kOutputCount))
           return "output_labels names at most " + std::to_string(kOutputCount) + " outputs";
         for (const std::string& label : u.output_labels)
           if (label.size() > 64) return "an output label is longer than 64 bytes";
         return {};
       }},
      {"backups",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.backups = v;
         return v.empty() ? "backups needs a folder" : "";
       }},
      {"keep",
       [](UnitConfig& u, const std::string& v) -> std::string {
         const auto n = number_in(v, 1, 10000);
         if (n) u.keep = *n;
         return n ? "" : "keep needs a count from 1 to 10000";
       }},
      {"approved",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.approved = v;
         return v.empty() ? "approved needs a settings file" : "";
       }},
      {"tcp",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.way = UnitConfig::Way::tcp;
         const auto at = endpoint_of(v, false);
         if (at) u.converter_at = *at;
         return at ? "" : "tcp needs ADDRESS:PORT";
       }},
      {"converter",
       [](UnitConfig& u, const std::string& v) -> std::string {
         u.way = UnitConfig::Way::converter;
         u.converter = v;
         return is_ipv4(v) ? "" : "converter needs the IPv4 address it connects from";
       }},
  };
  return keys;
}

const Keys<ScheduleEntry>& schedule_keys() {
  static const Keys<ScheduleEntry> keys{
      {"when",
       [](ScheduleEntry& e, const std::string& v) -> std::string {
         std::string why;
         const auto when = parse_schedule_when(v, why);
         if (when) e.when = *when, e.when_text = v;
         return why;
       }},
      {"do",
       [](ScheduleEntry& e, const std::string& v) -> std::string {
         std::string why;
         const auto action = parse_schedule_action(v, why);
         if (action) e.action = *action;
         return why;
       }},
      {"units",
       [](ScheduleEntry& e, const std::string& v) -> std::string {
         e.units = v == "all" ? std::vector<std::string>{} : comma_list(v);
         return v.empty() ? "units needs unit ids, or all" : "";
       }},
      {"late",
       [](ScheduleEntry& e, const std::string& v) -> std::string {
         const auto late = parse_late(v);
         if (late) e.late_ms = *late;
         return late ? "" : "late needs a time such as 90s, 2m or 1h (at most a day)";
       }},
  };
  return keys;
}

template <typename Target>
bool apply(const Section& section, const Keys<Target>& keys, Target& target, ConfigError& error) {
  std::set<std::string> seen;
  for (const Entry& entry : section.entries) {
    const auto key =
        std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == entry.key; });
    if (key == keys.end()) {
      error = {entry.line, "[" + section.kind + "] takes no key \"" + entry.key + "\""};
      return false;
    }
    if (!seen.insert(entry.key).second) {
      error = {entry.line, entry.key + " is given twice"};
      return false;
    }
    if (std::string why = key->second(target, entry.value); !why.empty()) {
      error = {entry.line, why};
      return false;
    }
  }
  return true;
}

bool read_sections(std::string_view text, std::vector<Section>& sections, ConfigError& error) {
  int line_number = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = trimmed(text.substr(start, end - start));
    start = end + 1;
    ++line_number;
    if (line_number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // BOM
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string_view::npos || !without_comment(line.substr(close + 1)).empty()) {
        error = {line_number, "a section header is [NAME]"};
        return false;
      }
      const std::string_view header = trimmed(line.substr(1, close - 1));
      const size_t blank = header.find(' ');
      Section section{std::string(header.substr(0, blank)), "", line_number, {}};
      if (blank != std::string_view::npos) section.name = trimmed(header.substr(blank + 1));
      sections.push_back(std::move(section));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || sections.empty()) {
      error = {line_number,
               sections.empty() ? "a key before any [section]" : "a line is KEY = VALUE"};
      return false;
    }
    sections.back().entries.push_back({std::string(trimmed(line.substr(0, equals))),
                                       std::string(without_comment(line.substr(equals + 1))),
                                       line_number});
  }
  return true;
}

// What the units say together: every unit reached one way, the ports
// shared as a bus, no place or address taken twice.
bool check_units(GatewayConfig& config, ConfigError& error) {
  std::set<std::string> ids, converters;
  std::set<std::pair<std::string, int>> bus_places;
  std::map<std::string, bool> serial_is_bus;
  std::set<int> ports;  // every port the gateway listens on, once
  if (config.server) ports.insert(config.server->port);
  if (config.http.port != 0) ports.insert(config.http.port);
  for (UnitConfig& u : config.units) {
    const auto fail = [&](std::string why) {
      error = {u.line, "[unit " + u.id + "]: " + std::move(why)};
      return false;
    };
    if (!is_id(u.id)) return fail("a unit's id is letters, digits, '_' or '-' (up to 32)");
    if (!ids.insert(u.id).second) return fail("another unit has this id");
    if (u.name.empty()) u.name = u.id;
    if (u.way != UnitConfig::Way::serial && (u.rs485 || u.address >= 0))
      return fail("line and address are for a serial port");
    if (u.rs485 != (u.address >= 0))
      return fail("RS-485 needs an address, and only RS-485 has one");
    if (u.way == UnitConfig::Way::serial && u.serial.empty())
      return fail("name how the unit is reached: serial, tcp or converter");
    if (u.way == UnitConfig::Way::serial) {
      const auto [known, fresh] = serial_is_bus.emplace(u.serial, u.rs485);
      if (!fresh && (!known->second || !u.rs485))
        return fail(u.serial + " is a bus of RS-485 units or one RS-232C unit, not both");
      if (!bus_places.emplace(u.serial, u.address).second)
        return fail("another unit has this address on " + u.serial);
    }
    if (u.way == UnitConfig::Way::converter) {
      if (!config.server) return fail("a converter that connects in needs [gateway] server");
      if (!converters.insert(u.converter).second)
        return fail("another unit's converter connects from " + u.converter);
    }
    for (const auto& at : {u.raw, u.videohub})
      if (at && !ports.insert(at->port).second)
        return fail("port " + std::to_string(at->port) + " is taken");
  }
  for (const auto& [device, port] : config.ports)
    if (!serial_is_bus.contains(device)) {
      error = {0, "[port " + device + "]: no unit is on this port"};
      return false;
    }
  return true;
}

// Every schedule says when and what, once by its name, on units that can
// do it: a backup needs the unit's backups folder, a comparison its
// approved file.
bool check_schedules(const GatewayConfig& config, ConfigError& error) {
  std::set<std::string> names;
  for (const ScheduleEntry& e : config.schedules) {
    const auto fail = [&](std::string why) {
      error = {e.line, "[schedule " + e.name + "]: " + std::move(why)};
      return false;
    };
    if (!names.insert(e.name).second) return fail("another schedule has this name");
    if (e.when_text.empty()) return fail("it needs when");
    for (const std::string& id : e.units)
      if (std::none_of(config.units.begin(), config.units.end(),
                       [&](const UnitConfig& u) { return u.id == id; }))
        return fail("no unit \"" + id + "\"");
    for (const UnitConfig& u : config.units) {
      const bool named =
          e.units.empty() || std::find(e.units.begin(), e.units.end(), u.id) != e.units.end();
      if (named && e.action.kind == ScheduleAction::Kind::backup && u.backups.empty())
        return fail("unit " + u.id + " has no backups folder");
      if (named && e.action.kind == ScheduleAction::Kind::compare && u.approved.empty())
        return fail("unit " + u.id + " has no approved file");
    }
  }
  return true;
}

}  // namespace

bool GatewayConfig::admits(const Endpoint& at, const std::string& address) const {
  return at.loopback() || std::find(clients.begin(), clients.end(), address) != clients.end();
}

PortConfig GatewayConfig::port(const std::string& device) const {
  const auto found = ports.find(device);
  return found != ports.end() ? found->second : PortConfig{device, 9600};
}

std::string ConfigError::text() const {
  return line > 0 ? "line " + std::to_string(line) + ": " + reason : reason;
}

std::optional<GatewayConfig> parse_gateway_config(std::string_view text, ConfigError& error) {
  std::vector<Section> sections;
  if (!read_sections(text, sections, error)) return std::nullopt;
  GatewayConfig config;
  bool had_gateway = false;
  for (const Section& section : sections) {
    if (section.kind == "gateway" && section.name.empty() && !had_gateway) {
      had_gateway = true;
      if (!apply(section, gateway_keys(), config, error)) return std::nullopt;
    } else if (section.kind == "port" && !section.name.empty() &&
               !config.ports.contains(section.name)) {
      PortConfig port{section.name};
      if (!apply(section, port_keys(), port, error)) return std::nullopt;
      config.ports.emplace(section.name, port);
    } else if (section.kind == "schedule" && is_id(section.name)) {
      ScheduleEntry entry;
      entry.name = section.name;
      entry.line = section.line;
      if (!apply(section, schedule_keys(), entry, error)) return std::nullopt;
      if (std::none_of(section.entries.begin(), section.entries.end(),
                       [](const Entry& e) { return e.key == "do"; })) {
        error = {section.line, "[schedule " + section.name + "]: it needs do"};
        return std::nullopt;
      }
      config.schedules.push_back(std::move(entry));
    } else if (section.kind == "unit" && !section.name.empty()) {
      UnitConfig unit;
      unit.id = section.name;
      unit.line = section.line;
      unit.model = kModelOrvellan;
      if (!apply(section, unit_keys(), unit, error)) return std::nullopt;
      config.units.push_back(std::move(unit));
    } else {
      error = {
          section.line,
          "[" + section.kind + (section.name.empty() ? "" : " " + section.name) +
              "] is not [gateway] (once), [port DEVICE] (once each), [unit ID] or [schedule NAME]"};
      return std::nullopt;
    }
  }
  if (config.units.empty()) {
    error = {0, "no [unit ID] section: the gateway serves nobody"};
    return std::nullopt;
  }
  if (!check_units(config, error) || !check_schedules(config, error)) return std::nullopt;
  if (config.http.port != 0 && !config.http.loopback() && config.token.empty()) {
    error = {0, "http on " + config.http.text() + " (not loopback) needs a token"};
    return std::nullopt;
  }
  return config;
}

bool load_gateway_config(const std::string& path, GatewayConfig& config, std::string& error) {
  std::string text;
  if (read_whole_file(FilePath(path), text, error) != FileRead::read) return false;
  ConfigError bad;
  auto parsed = parse_gateway_config(text, bad);
  if (!parsed) return error = path + ": " + bad.text(), false;
  config = std::move(*parsed);
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const auto from_folder = [&](std::string& file) {
    const bool absolute =
        file.starts_with('/') || file.starts_with('\\') || (file.size() > 1 && file[1] == ':');
    if (!file.empty() && !absolute) file = folder + file;
  };
  from_folder(config.log);
  std::set<std::string> folders;
  for (UnitConfig& unit : config.units) {
    from_folder(unit.backups);
    from_folder(unit.approved);
    if (!unit.backups.empty() && !folders.insert(unit.backups).second)
      return error = path + ": line " + std::to_string(unit.line) + ": [unit " + unit.id +
                     "]: another unit keeps its backups in " + unit.backups,
             false;
  }
  return true;
}

}  // namespace orv::gateway
