// The File menu's saving: "上書き保存" and "名前を付けて保存".
#pragma once

#include "app/program_win.h"

namespace orv::win {

// Saves to the settings file in use, or asks for a name when there is none.
// Returns whether the settings were saved.
bool file_save(Program& program);
bool file_save_as(Program& program);

}  // namespace orv::win
