#include "converter.h"

#include "text.h"

namespace sim {
namespace {

const std::string kGo = "GO\r\n";
const std::string kRefused = "E3\r\n";

std::optional<bool> on_off(std::string_view value) {
  if (value == "ON") return true;
  if (value == "OF") return false;
  return std::nullopt;
}

}  // namespace

std::string Converter::address_text(const std::array<int, 4>& o) {
  return digits(o[0], 3) + "." + digits(o[1], 3) + "." + digits(o[2], 3) + "." + digits(o[3], 3);
}

std::string Converter::set_address(std::string_view value, std::array<int, 4>& target) {
  if (value.size() != 15) return kRefused;
  std::array<int, 4> octets{};
  for (size_t k = 0; k < 4; ++k) {
    const auto octet = number(value.substr(4 * k, 3), 3, 0, 255);
    if (!octet || (k < 3 && value[4 * k + 3] != '.')) return kRefused;
    octets[k] = *octet;
  }
  target = octets;
  return kGo;
}

std::optional<std::string> Converter::handle(std::string_view c) {
  const std::string_view head = c.substr(0, 3);
  const std::string_view value = c.size() > 3 ? c.substr(3) : std::string_view();
  if (head == "EIA") return set_address(value, ip_);
  if (head == "EGA") return set_address(value, gateway_);
  if (head == "EAA") return set_address(value, active_);
  if (head == "ECT" || head == "EKA") {
    const auto on = on_off(value);
    if (!on) return kRefused;
    (head == "ECT" ? connection_try_ : keep_alive_) = *on;
    return kGo;
  }
  if (head == "EPN") {
    if (!number(value, 5, 0, 99999)) return kRefused;
    port_ = std::string(value);
    return kGo;
  }
  if (head == "ESM") {
    if (value != "A" && value != "B" && value != "C") return kRefused;
    subnet_class_ = value[0];
    return kGo;
  }
  if (head == "ETR") {
    const auto index = number(value, 1, 1, 6);
    if (!index) return kRefused;
    time_register_ = *index;
    return kGo;
  }
  if (c == "REIA") return "EIA" + address_text(ip_) + "\r\n";
  if (c == "REGA") return "EGA" + address_text(gateway_) + "\r\n";
  if (c == "REAA") return "EAA" + address_text(active_) + "\r\n";
  if (c == "RESM") return "ESM" + std::string(1, subnet_class_) + "\r\n";
  if (c == "RECT") return std::string("ECT") + (connection_try_ ? "ON" : "OF") + "\r\n";
  if (c == "REKA") return std::string("EKA") + (keep_alive_ ? "ON" : "OF") + "\r\n";
  if (c == "RETR") return "ETR" + std::to_string(time_register_) + "\r\n";
  if (c == "REPN") return "EPN" + port_ + "\r\n";
  if (c == "REMA") return "EMA" + mac_ + "\r\n";
  if (c == "RVN") return "VN" + version_ + "\r\n";
  if (c.substr(0, 1) == "E" || c.substr(0, 2) == "RE") return kRefused;
  return std::nullopt;
}

}  // namespace sim
