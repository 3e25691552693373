// "入出力の状態": which input each output shows, polled twice a second.
#pragma once

#include "win/base/program.h"

namespace orv::win {

// Opens the window with close_on_failure set: a failed poll closes it.
void open_status_window(Program& program);

}  // namespace orv::win
