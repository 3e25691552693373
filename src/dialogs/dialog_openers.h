// Opens the dialog a menu or panel command stands for, modally, owned by the
// main window.
#pragma once

#include "app/program_win.h"

namespace orv::win {

void open_setting_dialog(Program& program, int command);

}  // namespace orv::win
