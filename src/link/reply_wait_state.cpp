#include "link/reply_wait_state.h"

namespace orv {

void reset_reply_state(ReplyWaitState& s) {
  s.bulk_timer = 0;
  s.result_code = 0;
  s.send_failed = 0;
  s.bulk_step = 0;
  s.bulk_phase = 0;
  s.wait_ticks = 0;
  s.awaiting_reply = 0;
}

void mark_acknowledged(ReplyWaitState& s) {
  if (s.bulk_phase == kSingleCommand) s.completion = kCompletedSingle;
  if (s.bulk_phase == kBulkLastCommand) s.completion = kCompletedBulk;
}

}  // namespace orv
