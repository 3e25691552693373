// The set-all run ("全項目の設定"): which set command each step sends.
#pragma once

#include "bulk/bulk_run.h"
#include "protocol/device_settings.h"

namespace orv {

// 208 steps with 64 inputs, 176 with 32, and one more for each external
// character of a title.
int set_all_step_count(const DeviceSettings& settings);

// Step s (1-based) built from the settings. A title that cannot be sent
// gives a refused command with title_unsendable set; a password that is not
// six digits a refused command.
BulkStep set_all_step(int step, const DeviceSettings& settings);

}  // namespace orv
