#include "bulk/bulk_run.h"

namespace orv {

BulkTick next_bulk_tick(const Exchange& exchange) {
  if (exchange.completion() == Completion::bulk || exchange.result_code() == ResultCode::reported ||
      exchange.send_failed())
    return BulkTick::finish;
  if (exchange.wait_ticks() != 0 || exchange.result_code() != ResultCode::none)
    return BulkTick::wait;
  return BulkTick::send;
}

int bulk_percent(int step, int steps) {
  return steps > 0 ? step * 100 / steps : 0;
}

}  // namespace orv
