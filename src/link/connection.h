// Where a line came from or a command goes: the serial line, the converter
// the TCP/IP client talks to, or one of the TCP/IP server's 96 places.
#pragma once

#include <string>

namespace orv {

inline constexpr int kServerPlaces = 96;  // places 1..96

struct Connection {
  enum class Kind { serial, client, place, none };
  Kind kind = Kind::none;
  int place = 0;  // Kind::place: 1..kServerPlaces

  static constexpr Connection serial_line() { return {Kind::serial, 0}; }
  static constexpr Connection client() { return {Kind::client, 0}; }
  static constexpr Connection server_place(int place) { return {Kind::place, place}; }

  bool is_place() const { return kind == Kind::place; }
  bool valid() const {
    return kind == Kind::serial || kind == Kind::client ||
           (kind == Kind::place && place >= 1 && place <= kServerPlaces);
  }
  bool operator==(const Connection&) const = default;
};

}  // namespace orv
