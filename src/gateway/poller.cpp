#include "gateway/poller.h"

namespace orv::gateway {

Poller::Poller(size_t units, bool bus) : units_(units), bus_(bus) {}

void Poller::next_unit() {
  visit_reads_ = 0;
  current_ = (current_ + 1) % units_.size();
}

// A bus passes over an address backed off for this round; false when every
// unit is (none to ask this time round).
bool Poller::skip_backed_off() {
  if (!bus_) return true;
  for (size_t tried = 0; tried < units_.size(); ++tried) {
    UnitPolls& unit = units_[current_];
    if (visit_reads_ > 0 || unit.rounds_to_skip == 0) return true;
    --unit.rounds_to_skip;
    next_unit();
  }
  return false;
}

std::optional<Poll> Poller::next(Instant now) {
  if (out_ || units_.empty() || now < rest_until_ || !skip_backed_off()) return std::nullopt;
  UnitPolls& unit = units_[current_];
  if (unit.pattern_due) {
    out_ = Poll{current_, Read::pattern_in_force};
    return out_;
  }
  if (now < regular_at_) return std::nullopt;
  out_ = Poll{current_, unit.reads++ % 2 == 0 ? Read::output_state : Read::output_selection};
  regular_at_ = bus_ ? now : now + kConverterPeriod;
  return out_;
}

std::optional<Instant> Poller::due() const {
  if (out_ || units_.empty()) return std::nullopt;
  const Instant turn = units_[current_].pattern_due ? rest_until_ : regular_at_;
  return std::max(turn, rest_until_);
}

Poller::Change Poller::polled(bool answered, Instant /*now*/) {
  if (!out_) return Change::none;
  const Poll poll = *out_;
  UnitPolls& unit = units_[poll.unit];
  out_.reset();
  if (poll.read == Read::pattern_in_force) {
    unit.pattern_due = false;
    unit.since_pattern = 0;
  } else if (++unit.since_pattern >= kReadsBetweenPatterns) {
    unit.pattern_due = true;
  }
  Change change = Change::none;
  if (answered) {
    unit.misses = 0;
    if (!unit.online) {
      change = Change::online;
      unit.online = unit.known = true;
      // Read again, from the pattern in force on (unless it just was).
      if (poll.read != Read::pattern_in_force) unit.pattern_due = true;
    }
  } else if (++unit.misses >= kMissesForOffline && (unit.online || !unit.known)) {
    change = Change::offline;
    unit.online = false;
    unit.known = true;
  }
  if (bus_ && !answered) {
    // A silent address waits 1, 2, 4 … up to 32 rounds before it is asked again.
    unit.rounds_to_skip = 1 << std::min(unit.misses - 1, 5);
    next_unit();
  } else if (bus_ && poll.read != Read::pattern_in_force && ++visit_reads_ >= 2) {
    next_unit();
  }
  return change;
}

}  // namespace orv::gateway
