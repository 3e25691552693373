// The two whole-set dialogs: "設定項目の読み込み" reads every setting the
// program keeps from one unit; "全項目の設定" sends every setting to one
// unit, or to all with Broadcast.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_read_all_dialog(Program& program);
void open_set_all_dialog(Program& program);

}  // namespace orv::win
