// Sending whole patterns one after another: the steps "全項目の設定" and the
// two pattern dialogs' "全パターン設定" share.
#pragma once

#include "bulk/bulk_run.h"
#include "protocol/device_settings.h"

namespace orv {

// Screen display pattern `pattern` (0..63) whole: "OP" + number + 32 entries.
BulkStep screen_pattern_step(int pattern, const DeviceSettings& settings);
// Automatic switching pattern `pattern` (0..63) whole: "SP" + number + the
// dwell times of the model's inputs.
BulkStep switching_pattern_step(int pattern, const DeviceSettings& settings);

}  // namespace orv
