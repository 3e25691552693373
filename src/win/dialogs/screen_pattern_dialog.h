// "画面表示パターン": the 64 screen display patterns and the free layout.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_screen_pattern_dialog(Program& program);

}  // namespace orv::win
