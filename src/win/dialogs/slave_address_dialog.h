// "機器のスレーブアドレス": chooses the unit every later command goes to.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_slave_address_dialog(Program& program);

}  // namespace orv::win
