// "機器のスレーブアドレス": chooses the unit every later command goes to.
#pragma once

#include "app/program_win.h"

namespace orv::win {

void open_slave_address_dialog(Program& program);

}  // namespace orv::win
