#include "app/box_guard.h"

namespace orv {

void BoxGuard::outcome_box_shown() {
  if (outcome_boxes_++ == 0) unasked_lines_ = 0;
}

bool BoxGuard::begin_handling() {
  if (handling_) return false;
  handling_ = true;
  return true;
}

BoxGuard::Fate BoxGuard::arrived(LinkEvent event, const std::string& cause, bool under_box) {
  for (FailureOnShow& shown : failures_) {
    if (cause.empty() || shown.cause != cause) continue;
    ++shown.repeats;
    return Fate::count_repeat;
  }
  if (!under_box) return Fate::handle;
  // Opened and closed events are kept whatever the count: the dialogs'
  // lists must follow every connection.
  if (set_aside_.size() >= cap_ && event.kind == LinkEvent::Kind::line) {
    ++dropped_;
    return Fate::dropped;
  }
  set_aside_.push_back(std::move(event));
  return Fate::set_aside;
}

std::deque<LinkEvent> BoxGuard::take_set_aside() {
  std::deque<LinkEvent> events;
  events.swap(set_aside_);
  return events;
}

bool BoxGuard::count_unasked_line() {
  if (outcome_boxes_ == 0) return false;
  ++unasked_lines_;
  return true;
}

int BoxGuard::repeats_of(const std::string& cause) const {
  for (const FailureOnShow& shown : failures_)
    if (shown.cause == cause) return shown.repeats;
  return 0;
}

}  // namespace orv
