// The main window: the strip of 13 coloured buttons, the status bar with its
// hints, the menu, timer 1's reply presentation, and the close path.
#pragma once

#include <windows.h>

#include "win/base/program.h"

namespace orv::win {

bool register_main_window_class(Program& program);
HWND create_main_window(Program& program);
void start_reply_timer(Program& program);

// Greys the communication entries that do not apply to the configured
// interface and line.
void apply_interface_menu_state(Program& program);
// The model and option marks of the menu, as the configuration has them.
void apply_menu_marks(Program& program);

// Runs until the quit message; returns its code.
int run_message_loop(Program& program);

}  // namespace orv::win
