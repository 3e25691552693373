// "通信ログ": a modeless window listing every line sent and received. It is
// never the dialog replies are reported to, and it stays usable beside the
// modal dialogs.
#pragma once

#include "win/base/program.h"

namespace orv::win {

// Shows the window, creating it the first time; later it comes to the front.
void open_traffic_log_window(Program& program);

}  // namespace orv::win
