// The live state's polling of one line, apart from any socket or clock: which
// unit is asked what next, as the status window asks ("ROCD" and "ROS" by
// turns), with the pattern in force ("ROP") first and then after every
// tenth read, one poll at a time. A converter's one unit gets a read every
// 450 ms, counted from one read's going out to the next's, so each of the
// two reads comes at least once a second; the pattern in force goes in
// between without taking a read's turn. A bus goes round its units as fast
// as the line answers, each unit's two reads a visit, a silent address
// backed off so that it does not stall the others. A unit is offline after
// three polls in a row without an answer, and online at its first answer,
// when its state is read again from the pattern in force on. A condition
// line is an answer.
#pragma once

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "link/conversation.h"

namespace orv::gateway {

enum class Read { output_state, output_selection, pattern_in_force };

struct Poll {
  size_t unit = 0;  // the unit's index among the line's
  Read read = Read::output_state;
};

class Poller {
 public:
  static constexpr int kMissesForOffline = 3;
  static constexpr std::chrono::milliseconds kConverterPeriod{450};
  static constexpr int kReadsBetweenPatterns = 10;

  // `units` on the line; a bus when more than one share it.
  Poller(size_t units, bool bus);

  // The poll due now, if any (nothing while one is out).
  std::optional<Poll> next(Instant now);
  // When next() will have one, if no poll is out.
  std::optional<Instant> due() const;

  // How the poll out ended.
  enum class Change { none, online, offline };
  Change polled(bool answered, Instant now);

  bool online(size_t unit) const { return units_[unit].online; }
  // The unit's pattern in force is its next read.
  void read_pattern_soon(size_t unit) { units_[unit].pattern_due = true; }

  // No poll before `until`: the line is down, and a poll would fail at once.
  void rest_until(Instant until) { rest_until_ = std::max(rest_until_, until); }

 private:
  struct UnitPolls {
    bool online = false;
    bool known = false;  // it answered or went offline once
    int misses = 0;
    bool pattern_due = true;  // the pattern in force is to be read next
    int reads = 0;            // "ROCD" and "ROS", by turns
    int since_pattern = 0;
    int rounds_to_skip = 0;
  };

  bool skip_backed_off();
  void next_unit();

  std::vector<UnitPolls> units_;
  bool bus_;
  size_t current_ = 0;
  int visit_reads_ = 0;  // a bus asks each unit two reads a visit
  std::optional<Poll> out_;
  Instant regular_at_{};  // the next read's turn
  Instant rest_until_{};
};

}  // namespace orv::gateway
