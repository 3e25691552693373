#include "bulk/wire_run.h"

#include <chrono>
#include <thread>

#include "link/late_answers.h"
#include "link/line_assembler.h"
#include "link/reply_roads.h"

namespace orv {
namespace {

using Clock = LateAnswers::Clock;

WireRunEnd ended(WireRunEnd::Kind kind, int step, const BulkStep& at, std::string reason) {
  return WireRunEnd{kind, step, at.label, std::move(reason)};
}

std::string refusal_reason(const BulkStep& step) {
  return step.title_unsendable
             ? "the title holds a character outside JIS X 0208 levels 1 and 2, or an odd "
               "byte count"
             : "the value cannot be sent (Command Error)";
}

class ReplyWait {
 public:
  ReplyWait(const WireRunSetup& setup, DeviceSettings& settings)
      : setup_(setup), target_{settings, {}, nullptr, false, {}} {}

  // Feeds what arrives to the exchange until the awaited reply is handled,
  // sending `asked` again when its reply is late and tries are left; false,
  // with `reason`, when the last try's time runs out or the port fails.
  bool until_answered(Exchange& exchange, const Command& asked, WireRunEnd::Kind& failure,
                      std::string& reason) {
    const std::string text = asked.text.substr(0, asked.text.find('\r'));
    target_.asked = text;
    auto deadline = Clock::now() + timeout();
    while (exchange.awaiting_reply()) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 && answered_ && exchange.tries() <= setup_.retries) {
        if (!send_again(exchange, asked, failure, reason)) return false;
        deadline = Clock::now() + timeout();
        continue;
      }
      if (left <= 0) {
        failure = WireRunEnd::Kind::no_reply;
        reason = "no reply within " + std::to_string(setup_.reply_timeout_ms) + " ms";
        if (exchange.tries() > 1) reason += " (" + std::to_string(exchange.tries()) + " tries)";
        return false;
      }
      std::string bytes;
      if (!setup_.port.receive(bytes, static_cast<int>(left), reason)) {
        failure = WireRunEnd::Kind::link_failed;
        return false;
      }
      for (const std::string& line : lines_.feed(bytes)) handle(exchange, line);
    }
    return true;
  }

  // Whatever is on the line before the run (the late reply of a run that
  // failed, a stray line on the bus, half a line) is nobody's answer: it is
  // dropped until the line has been quiet for a moment, so it cannot be
  // taken for the first command's reply.
  void drain() {
    constexpr int kQuietMs = 20;
    std::string bytes, ignored;
    while (setup_.port.receive(bytes, kQuietMs, ignored) && !bytes.empty()) bytes.clear();
    lines_.clear();
  }

 private:
  std::chrono::milliseconds timeout() const {
    return std::chrono::milliseconds(setup_.reply_timeout_ms);
  }

  bool send_again(Exchange& exchange, const Command& asked, WireRunEnd::Kind& failure,
                  std::string& reason) {
    exchange.sending_again();
    const DispatchResult sent = send_command(exchange, setup_.route, asked);
    if (sent.sent) return true;
    failure = WireRunEnd::Kind::link_failed;
    reason = sent.failure;
    return false;
  }

  // A line after the answer changes nothing; a late answer to an earlier
  // try of the command answered is dropped, not taken for the next one's.
  void handle(Exchange& exchange, const std::string& line) {
    const auto now = Clock::now();
    if (!exchange.awaiting_reply() || late_.drop(line, now)) return;
    if (setup_.route.tcp_interface)
      handle_socket_reply(exchange, target_, line);
    else
      handle_serial_reply(exchange, target_, setup_.route.framing, line);
    answered_ = true;
    if (exchange.tries() > 1) late_.expect(line, exchange.tries(), now + timeout());
  }

  const WireRunSetup& setup_;
  ReplyTarget target_;
  LineAssembler lines_;
  LateAnswers late_;
  // A unit that has not answered once is silent, not unlucky: its first
  // command is not tried again (a bus backup skips it after one time-out).
  bool answered_ = false;
};

}  // namespace

WireRunEnd run_on_wire(const WireRunSetup& setup, DeviceSettings& settings, int steps,
                       const BulkRun::StepSource& source, const WireProgress& progress) {
  Exchange exchange;
  ReplyWait wait(setup, settings);
  wait.drain();
  for (int s = 1; s <= steps; ++s) {
    const BulkStep step = source(s);
    if (progress) progress(s, steps, step);
    if (!step.command.sendable())
      return ended(WireRunEnd::Kind::refused, s, step, refusal_reason(step));
    s == steps ? exchange.begin_last_bulk_step() : exchange.begin_bulk_step();
    const DispatchResult sent = send_command(exchange, setup.route, step.command);
    if (!sent.sent) {
      return sent.failure.empty()
                 ? ended(WireRunEnd::Kind::refused, s, step, "the line is too long to send")
                 : ended(WireRunEnd::Kind::link_failed, s, step, std::string(sent.failure));
    }
    if (!exchange.awaiting_reply()) {  // Broadcast: complete once written
      std::this_thread::sleep_for(std::chrono::milliseconds(setup.broadcast_gap_ms));
      continue;
    }
    WireRunEnd::Kind failure{};
    std::string reason;
    if (!wait.until_answered(exchange, step.command, failure, reason))
      return ended(failure, s, step, std::move(reason));
    if (exchange.condition_pending())
      return ended(WireRunEnd::Kind::condition, s, step,
                   std::string(condition_text(exchange.result_code())));
  }
  return {};
}

}  // namespace orv
