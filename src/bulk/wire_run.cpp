#include "bulk/wire_run.h"

#include <algorithm>
#include <chrono>

#include "link/dispatch.h"
#include "link/line_assembler.h"
#include "link/reply_roads.h"

namespace orv {
namespace {

using std::chrono::milliseconds;

Instant steady_now() {
  return std::chrono::duration_cast<milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

std::string refusal_reason(const BulkStep& step) {
  return step.title_unsendable
             ? "the title holds a character outside JIS X 0208 levels 1 and 2, or an odd "
               "byte count"
             : "the value cannot be sent (Command Error)";
}

// One run on the port: the conversation, the exchange the run reads, and
// the reason it stopped, as far as the run itself cannot tell it.
class WireRun {
 public:
  WireRun(const WireRunSetup& setup, DeviceSettings& settings)
      : setup_(setup),
        conversation_(milliseconds(setup.broadcast_gap_ms)),
        target_{settings, {}, nullptr, false, {}},
        route_{&conversation_,
               &setup.port,
               setup.tcp ? ReplyRoad::socket : ReplyRoad::serial,
               setup.tcp ? 0 : setup.framing.slave_address,
               !setup.tcp && setup.framing.rs485,
               milliseconds(setup.reply_timeout_ms)} {}

  WireRunEnd run(int steps, const BulkRun::StepSource& source, const WireProgress& progress) {
    drain();
    if (!run_.start(exchange_, BulkRun::Plan{steps, source, setup_.retries, true}))
      return {WireRunEnd::Kind::refused, 1, {}, "the run could not start"};
    BulkStep current;
    for (;;) {
      const BulkRun::Tick tick = run_.tick(exchange_);
      if (tick.kind == BulkRun::Tick::Kind::ended) return end_of(tick, current);
      if (tick.kind == BulkRun::Tick::Kind::wait) {
        wait_for_the_line();
        continue;
      }
      current = tick.step;
      step_ = run_.step();
      if (progress) progress(step_, steps, current);
      if (!current.command.sendable()) {
        run_.abandon(exchange_);
        return {WireRunEnd::Kind::refused, step_, current.label, refusal_reason(current)};
      }
      const DispatchResult sent =
          dispatch_command(exchange_, route_, current.command,
                           Asking{0, Priority::run_step, run_.retries_now(), steady_now()});
      if (!sent.failure.empty() && reason_.empty()) reason_ = sent.failure;
      take(send_waiting(conversation_, setup_.port, steady_now()));
    }
  }

 private:
  // Whatever is on the line before the run is nobody's answer: it is dropped
  // until the line has been quiet for a moment, and no longer than the limit
  // however much keeps coming (a peer that never stops is met by the run).
  void drain() {
    const Instant limit = steady_now() + milliseconds(setup_.drain_limit_ms);
    std::string bytes, ignored;
    for (Instant now = steady_now(); now < limit; now = steady_now()) {
      const auto quiet = std::min<long long>(setup_.quiet_ms, (limit - now).count());
      bytes.clear();
      if (!setup_.port.receive(bytes, static_cast<int>(quiet), ignored) || bytes.empty()) break;
    }
    lines_.clear();
  }

  // Reads what arrives until the conversation's next deadline, then lets
  // time pass for it: an answer, a late command sent again, or its end.
  void wait_for_the_line() {
    const Instant now = steady_now();
    const Instant until = conversation_.deadline().value_or(now + milliseconds(50));
    std::string bytes, error;
    const auto left = std::max<long long>(0, (until - now).count());
    if (!setup_.port.receive(bytes, static_cast<int>(left), error)) {
      reason_ = error;
      for (const Settled& failed : conversation_.fail_all()) settle(failed);
      return;
    }
    for (const std::string& line : lines_.feed(bytes)) {
      const Conversation::Taken taken = conversation_.take_line(line, steady_now());
      if (taken.settled) settle(*taken.settled);
    }
    const Conversation::Ticked ticked = conversation_.tick(steady_now());
    if (ticked.resend) take(send_again(conversation_, setup_.port, *ticked.resend));
    if (ticked.settled) settle(*ticked.settled);
    take(send_waiting(conversation_, setup_.port, steady_now()));
  }

  void take(const SentWaiting& sent) {
    for (const Settled& settled : sent.settled) settle(settled);
  }

  void settle(const Settled& settled) {
    if (settled.how == Settled::How::answered) run_.answered();
    if (settled.how == Settled::How::unanswered) {
      reason_ = "no reply within " + std::to_string(setup_.reply_timeout_ms) + " ms";
      if (settled.tries > 1) reason_ += " (" + std::to_string(settled.tries) + " tries)";
      exchange_.unanswered();
      return;
    }
    const DispatchResult failed = take_settled(exchange_, target_, route_.road, settled);
    if (!failed.failure.empty() && reason_.empty()) reason_ = failed.failure;
  }

  WireRunEnd end_of(const BulkRun::Tick& tick, const BulkStep& at) const {
    if (tick.completed) return {};
    if (tick.condition != ResultCode::none)
      return {WireRunEnd::Kind::condition, step_, at.label,
              std::string(condition_text(tick.condition))};
    const bool silent = reason_.rfind("no reply", 0) == 0;
    return {silent ? WireRunEnd::Kind::no_reply : WireRunEnd::Kind::link_failed, step_, at.label,
            reason_.empty() ? "the run ended" : reason_};
  }

  const WireRunSetup& setup_;
  Conversation conversation_;
  Exchange exchange_;
  ReplyTarget target_;
  Route route_;
  BulkRun run_;
  LineAssembler lines_;
  int step_ = 0;
  std::string reason_;  // why the run stopped, when not a condition
};

}  // namespace

WireRunEnd run_on_wire(const WireRunSetup& setup, DeviceSettings& settings, int steps,
                       const BulkRun::StepSource& source, const WireProgress& progress) {
  return WireRun(setup, settings).run(steps, source, progress);
}

}  // namespace orv
