// "プロトコルの設定": the LAN converter's network parameters, read in one run
// and set one at a time, always over the serial line.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_converter_dialog(Program& program);

}  // namespace orv::win
