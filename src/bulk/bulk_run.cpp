#include "bulk/bulk_run.h"

namespace orv {

BulkTick next_bulk_tick(const ReplyWaitState& reply) {
  if (reply.completion == kCompletedBulk || reply.result_code == kResultReported ||
      reply.send_failed == 1)
    return BulkTick::finish;
  if (reply.wait_ticks != 0 || reply.result_code != kResultNone) return BulkTick::wait;
  return BulkTick::send;
}

int bulk_percent(int step, int steps) {
  return steps > 0 ? step * 100 / steps : 0;
}

}  // namespace orv
