// The read-all run ("設定項目の読み込み"): which read command each step sends.
#pragma once

#include "bulk/bulk_run.h"

namespace orv {

// 207 steps with 64 inputs, 175 with 32.
int read_all_step_count(int inputCount);

// Step s (1-based) of the run; the last step is "ROE".
BulkStep read_all_step(int step, int inputCount);

}  // namespace orv
