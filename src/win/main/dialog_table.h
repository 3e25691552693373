// Which dialog each menu and panel command opens, with the guard some of
// them pass first.
#pragma once

#include "win/base/program.h"

namespace orv::win {

// Opens the dialog `command` stands for, modally, owned by the main window,
// and returns when it has closed. A command the table does not know is a
// fault of the program (an assertion in a debug build).
void open_dialog_for_command(Program& program, int command);

}  // namespace orv::win
