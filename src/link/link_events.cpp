#include "link/link_events.h"

namespace orv {

LinkEventQueue::LinkEventQueue(std::function<bool()> wake, size_t max_lines)
    : wake_(std::move(wake)), max_lines_(max_lines) {}

void LinkEventQueue::push(LinkEvent event) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (event.kind == LinkEvent::Kind::line) {
      if (waiting_lines_ >= max_lines_) {
        ++dropped_lines_;
        return;
      }
      ++waiting_lines_;
    }
    events_.push_back(std::move(event));
    wake = !woken_;
    woken_ = true;
  }
  // Outside the lock: the wake-up may run the window thread's handler at once.
  if (wake && wake_ && !wake_()) {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = false;
  }
}

std::vector<LinkEvent> LinkEventQueue::take() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<LinkEvent> taken(std::make_move_iterator(events_.begin()),
                               std::make_move_iterator(events_.end()));
  events_.clear();
  waiting_lines_ = 0;
  woken_ = false;
  return taken;
}

size_t LinkEventQueue::dropped_lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_lines_;
}

}  // namespace orv
