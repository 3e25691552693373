// The TREVALIX LAN-to-serial converter's own parameters, set and read over
// the serial line with the "E…", "RE…" and "RVN" commands.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

class Converter {
 public:
  // The reply to a converter command, or nullopt when the line is not one
  // (it is then a unit's business).
  std::optional<std::string> handle(std::string_view command);

 private:
  std::string set_address(std::string_view value, std::array<int, 4>& target);
  static std::string address_text(const std::array<int, 4>& octets);

  std::array<int, 4> ip_{192, 168, 1, 200};
  std::array<int, 4> gateway_{192, 168, 1, 1};
  std::array<int, 4> active_{192, 168, 1, 100};
  char subnet_class_ = 'C';
  bool connection_try_ = false;
  bool keep_alive_ = true;
  int time_register_ = 3;  // 1..6: 10..60 seconds
  std::string port_ = "09004";
  std::string mac_ = "00-80-4C-12-34-56";
  std::string version_ = "V1.10";  // one character the program skips, then four
};

}  // namespace sim
