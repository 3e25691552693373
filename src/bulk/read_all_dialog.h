// "設定項目の読み込み": reads every setting the program keeps from one unit.
#pragma once

#include "app/program_win.h"

namespace orv::win {

void open_read_all_dialog(Program& program);

}  // namespace orv::win
