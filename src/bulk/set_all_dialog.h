// "全項目の設定": sends every setting to one unit, or to all with Broadcast.
#pragma once

#include "app/program_win.h"

namespace orv::win {

void open_set_all_dialog(Program& program);

}  // namespace orv::win
