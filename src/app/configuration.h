// The program's own configuration, kept in ORVELLAN.ini.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "link/server_places.h"
#include "protocol/device_settings.h"

namespace orv {

inline constexpr std::string_view kConfigSection = "ORVELLAN_section";
// The TCP client dialog writes its selection under this spelling; section
// names are compared without regard to case, so it is the same section.
inline constexpr std::string_view kClientSelectSection = "ORVELLAN_Section";
inline constexpr int kHostListSize = 256;
inline constexpr int kIntegerValueBuffer = 16;  // integer and address keys
inline constexpr int kPortNumberBuffer = 6;     // five characters and a terminator
inline constexpr int kDefaultConnectTimeoutMs = 5000;
inline constexpr int kDefaultReplyRetries = 2;

struct Configuration {
  int com_port = 0;       // 0..5: COM1..COM6
  int control = 0;        // 0 RS-232C, 1 RS-485
  int interface_set = 0;  // 0 serial line, 1 TCP/IP
  int client_server = 0;  // 0 client, 1 server
  int ip_address_count = 0;
  int client_select_ip_address = 0;
  int select_model = 0;
  std::array<Octets, kHostListSize> host_addresses{};
  std::array<char, kPortNumberBuffer> port_number{'0', '9', '0', '0', '4', '\0'};
  // The address the TCP/IP server listens on (key server_address); empty
  // for every local address.
  std::string server_address;
  // The server takes only converters whose address is in the host list
  // (key listed_hosts_only, 0 or 1).
  bool listed_hosts_only = false;
  // How long the client waits for its converter to answer a connection
  // (key connect_timeout_ms).
  int connect_timeout_ms = kDefaultConnectTimeoutMs;
  // The stepped runs send each command as soon as the previous reply is in
  // (key reply_paced, 0 or 1; the dialogs' "高速（応答ごとに次を送信）"),
  // trying a command whose reply does not come up to reply_retries more
  // times.
  bool reply_paced = false;
  int reply_retries = kDefaultReplyRetries;
  // "成功の表示をステータス行にする" (key success_in_status_line, 0 or 1): a
  // single command's success shows in the status line instead of a box.
  bool success_in_status_line = false;

  bool serial_interface() const { return interface_set == 0; }
  bool rs485() const { return control == 1; }
  // RS-485 on the serial line: the only mode in which units are addressed.
  bool addressed_serial() const { return serial_interface() && rs485(); }
  // The host the client connects to, when the selection names an entry in use.
  std::optional<Octets> selected_host() const;
  bool is_listed_host(const Octets& address) const;
};

// Reads and writes profile values, as the platform's private profile
// functions do: section and key names without regard to case, a missing key
// giving the default, values cut to fit a buffer of `buffer_size` bytes.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual std::string read(std::string_view section, std::string_view key,
                           std::string_view default_value, size_t buffer_size) = 0;
  virtual bool write(std::string_view section, std::string_view key, std::string_view value) = 0;
};

// Reads every key in start-up order: the integers, the host list up to
// ip_address_count (bounded by the 256-entry list), then port_number.
Configuration read_configuration(ProfileStore& store);

// The standard decimal conversion: leading blanks, a sign, the leading
// digits; 0 when there are none. Saturates instead of overflowing.
int profile_atoi(std::string_view text);

// "192.168.000.010" -> {192, 168, 0, 10}: three characters per octet at
// offsets 0, 4, 8, 12. A character that is not a digit counts as 0 and an
// octet is kept within 0..255, so no stored text can yield a wrong-sized
// address.
Octets parse_host_address(std::string_view text);
std::string format_host_address(const Octets& octets);  // "192.168.000.010"
std::string host_address_key(int number);               // 1 -> "IP_001"

// The model menu's write-back: "0" or "1".
void write_select_model(ProfileStore& store, int model);

// The TCP port of a port number text: 1..65535 in decimal digits, or nothing.
std::optional<int> tcp_port(std::string_view text);

// What the communication dialogs write, each exactly when the dialog does.
// One decimal digit (interface_set, client_server, control, com_port):
void write_digit(ProfileStore& store, std::string_view key, int value);
// The port number text, up to five characters, in memory and in the file.
void write_port_number(Configuration& config, ProfileStore& store, std::string_view text);
// "追加": the address becomes the last entry of the host list and the one
// selected; false, and nothing changes, when the list holds 256 already.
bool add_host(Configuration& config, ProfileStore& store, const Octets& address);
// "削除" of `row` (the last row when negative): the entries after it move up
// and their keys are written again. Returns the entry to show in the
// address box (the one after the deleted one, or before it when it was the
// last), or -1 when the deleted one was not the selected one or the list is
// now empty.
int delete_host(Configuration& config, ProfileStore& store, int row);
// The server dialog's listening address ("" for every local address) and
// its "登録したアドレスのみ許可".
void write_server_address(Configuration& config, ProfileStore& store, std::string_view text);
void write_listed_hosts_only(Configuration& config, ProfileStore& store, bool on);
void write_reply_paced(Configuration& config, ProfileStore& store, bool on);
void write_success_in_status_line(Configuration& config, ProfileStore& store, bool on);
// The server's places take only the host list's addresses with
// "登録したアドレスのみ許可" (listed_hosts_only), every address otherwise.
void apply_allow_list(const Configuration& config, ServerPlaces& places);

// Where a window was last, as the configuration keeps it: "X,Y,WIDTH,HEIGHT"
// in screen pixels. Nothing for a text that is not four integers with a
// positive size.
struct WindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
};
std::optional<WindowPlace> parse_window_place(std::string_view text);
std::string format_window_place(const WindowPlace& place);
// The client dialog's closing: the selection under kClientSelectSection.
void write_client_selection(const Configuration& config, ProfileStore& store);

}  // namespace orv
