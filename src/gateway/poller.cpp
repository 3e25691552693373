#include "gateway/poller.h"

#include <algorithm>

namespace orv::gateway {

Poller::Poller(size_t units, bool bus) : units_(units), bus_(bus) {}

Read Poller::read_for(const UnitPolls& unit) const {
  const int n = unit.polls;
  if (n % 10 == 0) return Read::pattern_in_force;
  return n % 2 == 1 ? Read::output_state : Read::output_selection;
}

std::optional<Poll> Poller::next(Instant now) {
  if (out_ || units_.empty() || now < next_at_) return std::nullopt;
  // A bus passes over an address backed off for this round; at most once
  // round the units before it has nothing to ask.
  for (size_t tried = 0; tried <= units_.size(); ++tried) {
    UnitPolls& unit = units_[current_];
    if (bus_ && visit_polls_ == 0 && unit.rounds_to_skip > 0) {
      --unit.rounds_to_skip;
      next_unit();
      continue;
    }
    out_ = Poll{current_, read_for(unit)};
    ++unit.polls;
    return out_;
  }
  return std::nullopt;
}

std::optional<Instant> Poller::due() const {
  if (out_ || units_.empty()) return std::nullopt;
  return next_at_;
}

void Poller::next_unit() {
  visit_polls_ = 0;
  current_ = (current_ + 1) % units_.size();
}

// On a bus, a unit's second read, then the next unit; a converter's one
// unit stays.
void Poller::advance() {
  if (bus_ && ++visit_polls_ >= 2) next_unit();
}

Poller::Change Poller::polled(bool answered, Instant now) {
  if (!out_) return Change::none;
  UnitPolls& unit = units_[out_->unit];
  const bool read_from_start = out_->read == Read::pattern_in_force;
  out_.reset();
  Change change = Change::none;
  if (answered) {
    unit.misses = 0;
    if (!unit.online) {
      change = Change::online;
      unit.online = unit.known = true;
      if (!read_from_start) unit.polls = 0;  // read again, from the pattern in force on
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
  } else {
    advance();
  }
  next_at_ = bus_ ? now : now + kConverterPeriod;
  return change;
}

}  // namespace orv::gateway
