// One conversation per connection: a serial line (an RS-485 bus is one
// line, since a reply may come without its address), the converter the
// TCP/IP client talks to, or one place of the TCP/IP server. It holds the
// one command outstanding, takes the line that answers it, times it out
// and sends it again while tries are left, drops a late answer to an
// earlier try, and queues the requesters that wait their turn: an
// operator's command before a run's step, a run's step before a poll.
//
// It knows no transport and no clock: its owner writes the bytes it hands
// out, feeds it every line that arrives and the time on the owner's own
// clock (the program's timer 1, the command line's and the gateway's
// steady clock), so a test drives it with lines and ticks alone.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "link/late_answers.h"

namespace orv {

// A point on the owner's clock.
using Instant = std::chrono::milliseconds;

// Who goes first when the line comes free; the same priority in order of
// arrival.
enum class Priority { operator_command = 0, run_step = 1, poll = 2 };

// Who asked: a number the owner gives each of its requesters.
using RequesterId = int;

struct Request {
  RequesterId requester = 0;
  std::string command;  // one line with its CR LF, as a builder made it
  // RS-485: the unit's address, 0..31, or kBroadcastAddress (nobody
  // answers); -1 on other lines (no address field).
  int address = -1;
  Priority priority = Priority::run_step;
  // More tries of a command whose answer is late (every command of the
  // units is safe to repeat).
  int retries = 0;
  std::chrono::milliseconds timeout{3000};
  // A command that has not gone out by then is not sent at all (its asker
  // has given up waiting): it ends `expired`.
  std::optional<Instant> expires;
  // Nothing of anyone else's goes on the line between this command and the
  // asker's next, which it asks as this one settles (a sequence that must
  // not be interleaved: read, change, write back). Asked nothing then, the
  // line is free again.
  bool holds_line = false;
};

// How a request ended, for the requester that asked.
struct Settled {
  enum class How {
    answered,         // `answer` is the line that answered it
    unanswered,       // the last try's time ran out
    without_reply,    // a Broadcast: nobody answers, it is done once written
    link_failed,      // the link could not take the command
    connection_lost,  // the connection closed or failed before the answer came
    expired,          // it waited in the queue past its asker's patience: never sent
  };
  RequesterId requester = 0;
  How how = How::answered;
  std::string asked;   // the command without its CR LF (and without an address)
  int address = -1;    // RS-485: the unit it went to
  std::string answer;  // answered: the line with its line end, address removed
  int tries = 1;
};

class Conversation {
 public:
  // `broadcast_gap`: how long the line rests after a command nobody answers,
  // so every unit of a bus can take it before the next.
  explicit Conversation(std::chrono::milliseconds broadcast_gap = std::chrono::milliseconds(0))
      : broadcast_gap_(broadcast_gap) {}

  // Queues a request behind those of its priority.
  void submit(Request request);

  // What goes on the wire now, framed for the line: the next request's bytes
  // when the line is free, nothing otherwise. A Broadcast is settled as it
  // leaves.
  struct Sending {
    std::string bytes;
    int address = -1;                // RS-485: the unit it goes to
    std::optional<Settled> settled;  // a Broadcast, done once written
  };
  std::optional<Sending> next_to_send(Instant now);
  // The requests that waited past their `expires` (before next_to_send).
  std::deque<Settled> take_expired(Instant now);

  // A whole line (with its LF) that arrived.
  struct Taken {
    enum class Kind {
      answer,       // it answered the command outstanding: `settled`
      late_answer,  // a repeat of the last answer, to an earlier try: dropped
      unasked,      // no command was outstanding (or it was cancelled)
    };
    Kind kind = Kind::unasked;
    std::optional<Settled> settled;
  };
  Taken take_line(std::string_view line, Instant now);

  // Time passes: a command whose answer is late goes out again (its bytes in
  // `resend`) while tries are left, otherwise it ends unanswered.
  struct Ticked {
    std::optional<std::string> resend;
    std::optional<Settled> settled;
  };
  Ticked tick(Instant now);

  // The connection failed or went: the command outstanding and every
  // request waiting end so (connection_lost), in order.
  std::deque<Settled> fail_all();
  // The link could not take the command outstanding: it ends so.
  std::optional<Settled> fail_outstanding();

  // The requester went: its waiting requests are dropped; the answer to
  // its command outstanding, when it comes, goes to nobody.
  void cancel(RequesterId requester);

  bool busy() const { return outstanding_.has_value() || resting_; }
  bool awaiting() const { return outstanding_.has_value(); }
  // The requester whose command is outstanding, and the unit it went to.
  std::optional<RequesterId> outstanding_requester() const;
  std::optional<int> outstanding_address() const;
  size_t waiting() const { return queue_.size(); }
  // The next moment tick() has something to do, if any.
  std::optional<Instant> deadline() const;

 private:
  struct Outstanding {
    Request request;
    std::string bytes;
    int tries = 1;
    Instant deadline{};
    bool cancelled = false;
  };

  Settled settled_as(const Outstanding& o, Settled::How how, std::string answer = {}) const;

  std::chrono::milliseconds broadcast_gap_;
  std::deque<Request> queue_;
  std::optional<RequesterId> held_by_;  // the line is kept for this requester's next command
  std::optional<Outstanding> outstanding_;
  bool resting_ = false;  // after a Broadcast, until `rest_until_`
  Instant rest_until_{};
  LateAnswers late_;
};

// A line's LF and CR removed.
std::string_view without_line_end(std::string_view line);

}  // namespace orv
