#include "link/conversation.h"

#include <algorithm>

#include "link/framing.h"

namespace orv {

std::string_view without_line_end(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

namespace {

SerialFraming framing_of(const Request& request) {
  return SerialFraming{request.address >= 0, std::max(request.address, 0)};
}

}  // namespace

void Conversation::submit(Request request) {
  const auto after = std::find_if(queue_.begin(), queue_.end(), [&](const Request& waiting) {
    return waiting.priority > request.priority;
  });
  queue_.insert(after, std::move(request));
}

Settled Conversation::settled_as(const Outstanding& o, Settled::How how, std::string answer) const {
  return Settled{o.request.requester,
                 how,
                 std::string(without_line_end(o.request.command)),
                 o.request.address,
                 std::move(answer),
                 o.tries};
}

std::optional<Conversation::Sending> Conversation::next_to_send(Instant now) {
  if (resting_ && now >= rest_until_) resting_ = false;
  if (busy() || queue_.empty()) return std::nullopt;
  auto next = queue_.begin();
  if (held_by_) {
    next = std::find_if(queue_.begin(), queue_.end(),
                        [&](const Request& r) { return r.requester == *held_by_; });
    held_by_.reset();  // the holder asked its next, or the line is free again
    if (next == queue_.end()) next = queue_.begin();
  }
  Outstanding o{std::move(*next), {}, 1, {}, false};
  queue_.erase(next);
  const SerialFraming framing = framing_of(o.request);
  o.bytes = serial_frame(o.request.command, framing);
  Sending sending{o.bytes, o.request.address, std::nullopt};
  if (framing.broadcast()) {
    sending.settled = settled_as(o, Settled::How::without_reply);
    resting_ = broadcast_gap_.count() > 0;
    rest_until_ = now + broadcast_gap_;
    return sending;
  }
  o.deadline = now + o.request.timeout;
  outstanding_ = std::move(o);
  return sending;
}

Conversation::Taken Conversation::take_line(std::string_view line, Instant now) {
  // A late answer to an earlier try is dropped, even while the next command
  // waits: it must not pass for that one's answer.
  if (late_.drop(line, now)) return Taken{Taken::Kind::late_answer, std::nullopt};
  if (!outstanding_) return Taken{Taken::Kind::unasked, std::nullopt};
  Outstanding o = std::move(*outstanding_);
  outstanding_.reset();
  if (o.request.holds_line && !o.cancelled) held_by_ = o.request.requester;
  const std::string_view answer = without_own_address(line, framing_of(o.request));
  // Up to tries - 1 more answers may still come, to the earlier tries.
  late_.expect(line, o.tries, now + o.request.timeout);
  if (o.cancelled) return Taken{Taken::Kind::answer, std::nullopt};
  return Taken{Taken::Kind::answer, settled_as(o, Settled::How::answered, std::string(answer))};
}

Conversation::Ticked Conversation::tick(Instant now) {
  if (resting_ && now >= rest_until_) resting_ = false;
  if (!outstanding_ || now < outstanding_->deadline) return {};
  Outstanding& o = *outstanding_;
  if (o.tries <= o.request.retries && !o.cancelled) {
    ++o.tries;
    o.deadline = now + o.request.timeout;
    return Ticked{o.bytes, std::nullopt};
  }
  const Outstanding ended = std::move(o);
  outstanding_.reset();
  if (ended.cancelled) return {};
  return Ticked{std::nullopt, settled_as(ended, Settled::How::unanswered)};
}

std::deque<Settled> Conversation::fail_all() {
  std::deque<Settled> failed;
  if (outstanding_ && !outstanding_->cancelled)
    failed.push_back(settled_as(*outstanding_, Settled::How::connection_lost));
  outstanding_.reset();
  for (Request& request : queue_)
    failed.push_back(settled_as(Outstanding{std::move(request), {}, 0, {}, false},
                                Settled::How::connection_lost));
  queue_.clear();
  resting_ = false;
  held_by_.reset();
  return failed;
}

std::deque<Settled> Conversation::take_expired(Instant now) {
  std::deque<Settled> expired;
  std::erase_if(queue_, [&](const Request& r) {
    if (!r.expires || now < *r.expires) return false;
    expired.push_back(settled_as(Outstanding{r, {}, 0, {}, false}, Settled::How::expired));
    return true;
  });
  return expired;
}

std::optional<Settled> Conversation::fail_outstanding() {
  if (!outstanding_) return std::nullopt;
  const Outstanding failed = std::move(*outstanding_);
  outstanding_.reset();
  if (failed.cancelled) return std::nullopt;
  return settled_as(failed, Settled::How::link_failed);
}

void Conversation::cancel(RequesterId requester) {
  std::erase_if(queue_, [&](const Request& r) { return r.requester == requester; });
  if (held_by_ == requester) held_by_.reset();
  if (outstanding_ && outstanding_->request.requester == requester) outstanding_->cancelled = true;
}

std::optional<RequesterId> Conversation::outstanding_requester() const {
  if (!outstanding_ || outstanding_->cancelled) return std::nullopt;
  return outstanding_->request.requester;
}

std::optional<int> Conversation::outstanding_address() const {
  if (!outstanding_) return std::nullopt;
  return outstanding_->request.address;
}

std::optional<Instant> Conversation::deadline() const {
  if (outstanding_) return outstanding_->deadline;
  if (resting_) return rest_until_;
  return std::nullopt;
}

}  // namespace orv
