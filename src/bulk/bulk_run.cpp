#include "bulk/bulk_run.h"

namespace orv {

BulkTick next_bulk_tick(const Exchange& exchange) {
  if (exchange.completion() == Completion::bulk || exchange.result_code() == ResultCode::reported ||
      exchange.send_failed())
    return BulkTick::finish;
  if (exchange.awaiting_reply() || exchange.result_code() != ResultCode::none)
    return BulkTick::wait;
  return BulkTick::send;
}

int bulk_percent(int step, int steps) {
  return steps > 0 ? step * 100 / steps : 0;
}

bool BulkRun::start(Exchange& exchange, Plan plan) {
  if (running() || exchange.awaiting_reply() || plan.steps <= 0) return false;
  step_ = 0;
  answered_ = false;
  plan_ = std::move(plan);
  // A single command that failed to go out earlier was reported then; it
  // must not end this run before its first step.
  exchange.send_failure_cleared();
  exchange.begin_bulk_step();
  return true;
}

BulkRun::Tick BulkRun::tick(Exchange& exchange) {
  if (!running()) return {};
  if (plan_.ends_on_condition && exchange.condition_pending()) {
    const ResultCode condition = exchange.result_code();
    exchange.condition_reported();
    end(exchange);
    return Tick{Tick::Kind::ended, {}, false, condition};
  }
  switch (next_bulk_tick(exchange)) {
    case BulkTick::wait:
      return {};
    case BulkTick::finish: {
      const bool completed = exchange.completion() == Completion::bulk;
      if (completed) exchange.completion_taken();
      end(exchange);
      return Tick{Tick::Kind::ended, {}, completed};
    }
    case BulkTick::send:
      break;
  }
  if (step_ == plan_.steps) {  // the last command's completion was lost: the run cannot complete
    end(exchange);
    return Tick{Tick::Kind::ended, {}, false};
  }
  ++step_;
  if (step_ == plan_.steps)
    exchange.begin_last_bulk_step();
  else
    exchange.begin_bulk_step();
  return Tick{Tick::Kind::send, plan_.source(step_), false};
}

bool BulkRun::cancel(Exchange& exchange) {
  if (!running() || exchange.bulk_phase() == BulkPhase::last) return false;
  end(exchange);
  return true;
}

void BulkRun::abandon(Exchange& exchange) {
  if (running()) end(exchange);
}

void BulkRun::end(Exchange& exchange) {
  exchange.abandon();
  step_ = 0;
  plan_ = Plan{};
}

}  // namespace orv
