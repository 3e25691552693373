// What the links report to the window thread: reply lines, and connections
// opening and closing. Every link (the serial reader thread, the TCP/IP
// connections) pushes into one queue; the window thread takes them all when
// woken, so every reply is handled there, in the order it arrived.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/connection.h"

namespace orv {

struct LinkEvent {
  enum class Kind {
    line,    // a whole reply line
    opened,  // a connection stands: the client's to its converter, or one the server accepted
    closed,  // the peer closed a connection
    failed,  // a socket reported an error; the connection is closed
    // A call of the sockets library failed while the link handled an event;
    // `text` is the message with its error code.
    failed_call,
    unknown_socket_event,  // `text` names the event
    port_lost,             // the serial port stopped working (its adapter went): it is closed
  };
  Kind kind = Kind::line;
  Connection connection = Connection::serial_line();
  // line: the line with its LF; opened (a place): the converter's address;
  // failed_call, unknown_socket_event: the message; port_lost: the port.
  std::string text;
};

class LinkEventQueue {
 public:
  // `wake` tells the window thread that events are waiting; it is called
  // once until the events have been taken, however many arrive meanwhile
  // (again on the next push when it returns false: the wake-up was lost).
  // At most `max_lines` reply lines wait at a time: further lines are
  // dropped (a peer that floods the link cannot exhaust memory), while
  // opened and closed events are always kept.
  explicit LinkEventQueue(std::function<bool()> wake, size_t max_lines = 256);

  void push(LinkEvent event);     // any thread
  std::vector<LinkEvent> take();  // the window thread
  size_t dropped_lines() const;

 private:
  std::function<bool()> wake_;
  const size_t max_lines_;
  mutable std::mutex mutex_;
  std::deque<LinkEvent> events_;
  size_t waiting_lines_ = 0;
  size_t dropped_lines_ = 0;
  bool woken_ = false;
};

}  // namespace orv
