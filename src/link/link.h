// A way to the units (the serial line, or TCP/IP through a converter), as
// the core sees it: whether a command can leave now, and sending one.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The connection the next command goes out on, for Link::name_of.
inline constexpr int kCommandedConnection = -2;

class Link {
 public:
  virtual ~Link() = default;
  // Whether a command can leave now (on TCP/IP: a connection stands).
  virtual bool ready() const = 0;
  // Sends the bytes of one command; false when the link could not take them.
  // A serial write is not waited for: a lost command shows as a time-out.
  virtual bool send(std::string_view bytes) = 0;
  // Where a connection of the link leads, as the traffic log names it
  // ("COM2", "127.0.1.57"); kCommandedConnection: where commands go now.
  virtual std::string name_of(int connection) const = 0;
};

}  // namespace orv
