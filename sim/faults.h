// What happens to a reply between the unit and the wire: scripted faults
// (silence, a condition line, any other line in its place, a garbled line,
// a line split into pieces) and
// pacing (a think time, a fixed delay, the time the bytes take at a baud rate).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "clock.h"

namespace sim {

enum class FaultKind { none, silence, condition, garble, split, replace };

struct Fault {
  FaultKind kind = FaultKind::none;
  int remaining = 0;      // replies still affected; -1 for every reply until cleared
  int skip = 0;           // replies that go out untouched before the fault takes effect
  std::string prefix;     // only replies to commands that begin with this count
  std::string link;       // only replies on this link ("tcp1", "c57") count
  std::string unit;       // only replies of this unit ("05") count
  std::string condition;  // MENU, ALARM, LOCK, GN, E0..E3; replace: any text
  int parts = 2;          // split: number of pieces
  Millis pause_ms = 0;    // split: pause between pieces
};

// One piece of a reply and how long after the previous piece (or, for the
// first, after the command) it goes out.
struct Chunk {
  std::string bytes;
  Millis after_ms;
};

class ReplyShaper {
 public:
  void set_fault(const Fault& fault) { fault_ = fault; }
  void clear_fault() { fault_ = Fault{}; }
  const Fault& fault() const { return fault_; }
  void set_delay(Millis ms) { delay_ms_ = ms; }
  Millis delay() const { return delay_ms_; }
  void set_reply_delay(Millis ms) { reply_delay_ms_ = ms; }
  void set_baud(int baud) { baud_ = baud; }

  // Where a reply comes from, for the faults aimed at one link or one unit.
  struct Origin {
    std::string_view command;  // without address field
    std::string_view link;     // "serial", "tcp1", "c57"
    std::string_view unit;     // "00".."31"
  };

  // The pieces of `reply` as they go on the wire; none for silence.
  std::vector<Chunk> shape(std::string reply, const Origin& origin = {});

  std::string describe() const;

  // How long `bytes` take on the line at the baud rate (0 without one).
  Millis transmit_ms(size_t bytes) const;

 private:
  Fault fault_;
  Millis delay_ms_ = 0;
  Millis reply_delay_ms_ = 0;
  int baud_ = 0;
};

bool is_condition_name(const std::string& name);

}  // namespace sim
