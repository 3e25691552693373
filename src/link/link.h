// A way to the units (the serial line, or TCP/IP through a converter), as
// the core sees it: whether a command can leave now, and sending one.
#pragma once

#include <string>
#include <string_view>

namespace orv {

class Link {
 public:
  virtual ~Link() = default;
  // Whether a command can leave now (on TCP/IP: a connection stands).
  virtual bool ready() const = 0;
  // Sends the bytes of one command; false when the link could not take them.
  // A serial write is not waited for: a lost command shows as a time-out.
  virtual bool send(std::string_view bytes) = 0;
  // Where it leads, as the traffic log names it ("COM2", "127.0.1.57").
  virtual std::string name() const = 0;
};

}  // namespace orv
