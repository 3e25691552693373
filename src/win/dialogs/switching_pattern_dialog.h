// "自動切換えパターン": the 64 automatic switching patterns of dwell times.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_switching_pattern_dialog(Program& program);

}  // namespace orv::win
