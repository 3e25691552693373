// Steps that "全項目の設定" shares with the dialogs that send one kind of item
// one after another: "全パターン設定" of the two pattern dialogs and "全設定" of
// the title dialog.
#pragma once

#include <vector>

#include "bulk/bulk_run.h"
#include "protocol/device_settings.h"

namespace orv {

// Screen display pattern `pattern` (0..63) whole: "OP" + number + 32 entries.
BulkStep screen_pattern_step(int pattern, const DeviceSettings& settings);
// Automatic switching pattern `pattern` (0..63) whole: "SP" + number + the
// dwell times of the model's inputs.
BulkStep switching_pattern_step(int pattern, const DeviceSettings& settings);
// The title of input `channel` (0-based) as the unit takes it: the title
// command, padded to 28 characters of JIS codes (an external character as
// the ideographic space), then the insert command of each external
// character, left to right. One refused step with title_unsendable when the
// title cannot be sent (an odd byte count, more than 56 bytes, a character
// outside JIS levels 1 and 2 that is no registered external character).
std::vector<BulkStep> title_steps(int channel, const DeviceSettings& settings);
// Those of every input, in channel order.
std::vector<BulkStep> all_title_steps(const DeviceSettings& settings);

}  // namespace orv
