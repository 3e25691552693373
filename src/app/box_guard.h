// What happens to the links' events while a message box stands. A box runs
// its own message loop, so lines, socket failures and replies keep coming
// while the operator reads it; this one place decides, for each, whether it
// is handled now, only counted, or set aside for the loop that showed the
// box:
//   - while the box of a command's outcome is up (timer 1), a line nobody
//     asked for is counted, not boxed again;
//   - while the box of a link failure is up, its repeats (the same cause)
//     are counted;
//   - while any box shown for a link event is up, the events that come
//     meanwhile are set aside, in their order, for the loop that showed it,
//     rather than overtake the events before them; what is set aside is
//     capped, and beyond the cap lines are only counted.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "link/link_events.h"

namespace orv {

class BoxGuard {
 public:
  explicit BoxGuard(size_t set_aside_cap = 256) : cap_(set_aside_cap) {}

  // The box of a command's outcome goes up (timer 1) or down; a box shown
  // meanwhile by a nested tick counts as the same one.
  void outcome_box_shown();
  void outcome_box_closed() { --outcome_boxes_; }

  // The loop that handles the links' events begins (false, and nothing
  // changes, when one is under way already: a box it showed is up) and ends.
  bool begin_handling();
  void end_handling() { handling_ = false; }

  // The box for a failure of `cause` goes up or down (innermost last).
  void failure_box_shown(const std::string& cause) { failures_.push_back({cause, 0}); }
  void failure_box_closed() { failures_.pop_back(); }

  enum class Fate {
    handle,        // handle it now
    count_repeat,  // a repeat of the failure on show: counted
    set_aside,     // under a box shown for an event: kept for later
    dropped,       // setting it aside would pass the cap: only counted
  };
  // What becomes of an event taken from the links' queue. `cause`: the
  // failure it reports (empty for none); `under_box`: the loop that handles
  // events is under a box it showed (begin_handling() said false). A
  // set-aside event is kept here.
  Fate arrived(LinkEvent event, const std::string& cause, bool under_box);
  // The events set aside, in order, for the loop that showed the box.
  std::deque<LinkEvent> take_set_aside();

  // A line nobody asked for: true, and counted, while the outcome box is up.
  bool count_unasked_line();

  // The counts the status line reports.
  int unasked_lines() const { return unasked_lines_; }
  int repeats_of(const std::string& cause) const;
  size_t dropped_lines() const { return dropped_; }

 private:
  struct FailureOnShow {
    std::string cause;
    int repeats = 0;
  };

  size_t cap_;
  int outcome_boxes_ = 0;
  bool handling_ = false;
  int unasked_lines_ = 0;
  size_t dropped_ = 0;
  std::vector<FailureOnShow> failures_;  // outermost first
  std::deque<LinkEvent> set_aside_;
};

}  // namespace orv
