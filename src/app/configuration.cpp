#include "app/configuration.h"

#include <algorithm>
#include <climits>

#include "protocol/number_text.h"

namespace orv {
namespace {

int read_integer(ProfileStore& store, std::string_view key) {
  return profile_atoi(store.read(kConfigSection, key, "0", kIntegerValueBuffer));
}

bool is_blank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::optional<Octets> Configuration::selected_host() const {
  if (client_select_ip_address < 0 || client_select_ip_address >= ip_address_count ||
      client_select_ip_address >= kHostListSize)
    return std::nullopt;
  return host_addresses[client_select_ip_address];
}

bool Configuration::is_listed_host(const Octets& address) const {
  for (int i = 0; i < ip_address_count && i < kHostListSize; ++i)
    if (host_addresses[static_cast<size_t>(i)] == address) return true;
  return false;
}

int profile_atoi(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

Octets parse_host_address(std::string_view text) {
  Octets octets{};
  for (size_t k = 0; k < octets.size(); ++k) {
    int value = 0;
    for (size_t d = 0; d < 3; ++d) {
      const size_t at = 4 * k + d;
      const char c = at < text.size() ? text[at] : '0';
      value = value * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
    }
    octets[k] = value > 255 ? 255 : value;
  }
  return octets;
}

std::string format_host_address(const Octets& octets) {
  std::string text;
  for (size_t k = 0; k < octets.size(); ++k) {
    if (k > 0) text += '.';
    const int octet = octets[k] < 0 ? 0 : octets[k] > 255 ? 255 : octets[k];
    text += decimal_text(octet, 3);
  }
  return text;
}

std::string host_address_key(int number) {
  std::string key = "IP_000";
  format_decimal(number, &key[3], 3);
  return key;
}

Configuration read_configuration(ProfileStore& store) {
  Configuration c;
  c.com_port = read_integer(store, "com_port");
  c.control = read_integer(store, "control");
  c.interface_set = read_integer(store, "interface_set");
  c.client_server = read_integer(store, "client_server");
  c.ip_address_count = read_integer(store, "ip_address_count");
  c.client_select_ip_address = read_integer(store, "client_select_ip_address");
  c.select_model = read_integer(store, "select_model") != 0 ? 1 : 0;
  if (c.ip_address_count < 0) c.ip_address_count = 0;
  if (c.ip_address_count > kHostListSize) c.ip_address_count = kHostListSize;
  for (int n = 1; n <= c.ip_address_count; ++n) {
    const std::string value =
        store.read(kConfigSection, host_address_key(n), "0", kIntegerValueBuffer);
    c.host_addresses[n - 1] = parse_host_address(value);
  }
  set_buffer_text(c.port_number,
                  store.read(kConfigSection, "port_number", "09004", kPortNumberBuffer));
  c.server_address = store.read(kConfigSection, "server_address", "", kIntegerValueBuffer);
  c.listed_hosts_only = read_integer(store, "listed_hosts_only") != 0;
  const int timeout =
      profile_atoi(store.read(kConfigSection, "connect_timeout_ms",
                              std::to_string(kDefaultConnectTimeoutMs), kIntegerValueBuffer));
  c.connect_timeout_ms = timeout > 0 ? timeout : kDefaultConnectTimeoutMs;
  c.reply_paced = read_integer(store, "reply_paced") != 0;
  c.success_in_status_line = read_integer(store, "success_in_status_line") != 0;
  const int retries = profile_atoi(store.read(
      kConfigSection, "reply_retries", std::to_string(kDefaultReplyRetries), kIntegerValueBuffer));
  c.reply_retries = std::clamp(retries, 0, 9);
  return c;
}

void write_server_address(Configuration& config, ProfileStore& store, std::string_view text) {
  config.server_address = std::string(text.substr(0, kIntegerValueBuffer - 1));
  store.write(kConfigSection, "server_address", config.server_address);
}

void write_listed_hosts_only(Configuration& config, ProfileStore& store, bool on) {
  config.listed_hosts_only = on;
  store.write(kConfigSection, "listed_hosts_only", on ? "1" : "0");
}

void write_reply_paced(Configuration& config, ProfileStore& store, bool on) {
  config.reply_paced = on;
  store.write(kConfigSection, "reply_paced", on ? "1" : "0");
}

void write_success_in_status_line(Configuration& config, ProfileStore& store, bool on) {
  config.success_in_status_line = on;
  store.write(kConfigSection, "success_in_status_line", on ? "1" : "0");
}

std::optional<WindowPlace> parse_window_place(std::string_view text) {
  int values[4] = {};
  for (int& value : values) {
    const size_t comma = text.find(',');
    const std::string_view field = text.substr(0, comma);
    if (field.empty() || field.find_first_not_of("-0123456789") != std::string_view::npos)
      return std::nullopt;
    value = profile_atoi(field);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  if (!text.empty() || values[2] <= 0 || values[3] <= 0) return std::nullopt;
  return WindowPlace{values[0], values[1], values[2], values[3]};
}

std::string format_window_place(const WindowPlace& place) {
  return std::to_string(place.x) + "," + std::to_string(place.y) + "," +
         std::to_string(place.width) + "," + std::to_string(place.height);
}

void write_select_model(ProfileStore& store, int model) {
  store.write(kConfigSection, "select_model", model == 0 ? "0" : "1");
}

}  // namespace orv

namespace orv {
namespace {

void write_host_key(ProfileStore& store, int index, const Octets& address) {
  store.write(kConfigSection, host_address_key(index + 1), format_host_address(address));
}

void write_host_count(ProfileStore& store, int count) {
  store.write(kConfigSection, "ip_address_count", decimal_text(count, 3));
}

}  // namespace

std::optional<int> tcp_port(std::string_view text) {
  if (text.empty() || text.size() > 5 || !is_decimal_digits(text)) return std::nullopt;
  const int port = parse_decimal(text, static_cast<int>(text.size()));
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

void write_digit(ProfileStore& store, std::string_view key, int value) {
  store.write(kConfigSection, key, std::to_string(value));
}

void write_port_number(Configuration& config, ProfileStore& store, std::string_view text) {
  set_buffer_text(config.port_number, text.substr(0, kPortNumberBuffer - 1));
  store.write(kConfigSection, "port_number", buffer_text(config.port_number));
}

bool add_host(Configuration& config, ProfileStore& store, const Octets& address) {
  const int index = config.ip_address_count;
  if (index < 0 || index >= kHostListSize) return false;
  config.host_addresses[static_cast<size_t>(index)] = address;
  write_host_key(store, index, address);
  config.client_select_ip_address = index;
  config.ip_address_count = index + 1;
  write_host_count(store, config.ip_address_count);
  return true;
}

int delete_host(Configuration& config, ProfileStore& store, int row) {
  const int count = config.ip_address_count;
  if (count <= 0) return -1;
  if (row < 0 || row >= count) row = count - 1;
  int& selected = config.client_select_ip_address;
  int shown = -1;
  if (row == selected && count > 1) shown = row < count - 1 ? row : row - 1;
  if (selected == count - 1 || selected > row) --selected;
  for (int i = row; i < count - 1; ++i) {
    config.host_addresses[static_cast<size_t>(i)] =
        config.host_addresses[static_cast<size_t>(i) + 1];
    write_host_key(store, i, config.host_addresses[static_cast<size_t>(i)]);
  }
  config.host_addresses[static_cast<size_t>(count - 1)] = Octets{};
  config.ip_address_count = count - 1;
  write_host_count(store, config.ip_address_count);
  return shown;
}

void write_client_selection(const Configuration& config, ProfileStore& store) {
  store.write(kClientSelectSection, "client_select_ip_address",
              std::to_string(config.client_select_ip_address));
}

void apply_allow_list(const Configuration& config, ServerPlaces& places) {
  if (!config.listed_hosts_only) return places.allow_all();
  std::vector<std::string> listed;
  for (int i = 0; i < config.ip_address_count && i < kHostListSize; ++i) {
    const Octets& host = config.host_addresses[static_cast<size_t>(i)];
    listed.push_back(std::to_string(host[0]) + "." + std::to_string(host[1]) + "." +
                     std::to_string(host[2]) + "." + std::to_string(host[3]));
  }
  places.allow_only(std::move(listed));
}

}  // namespace orv
