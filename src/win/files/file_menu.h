// The File menu: "新規作成", "開く", "上書き保存", "名前を付けて保存", and the save
// question that New, Open and the program's close ask first.
#pragma once

#include "win/base/program.h"

namespace orv::win {

// The save question, when the settings have changed. "Yes" saves, and a
// save that is cancelled or fails keeps the operator where he was (false);
// "No" goes on with the edits still marked changed; "Cancel" goes back
// (false). After the file dialog itself failed, a save without a file in
// use goes to a recovery file in the configuration's folder.
bool ask_to_save(Program& program);

void file_new(Program& program);
void file_open(Program& program);
// Saves to the settings file in use, or asks for a name when there is none.
// Returns whether the settings were saved.
bool file_save(Program& program);
bool file_save_as(Program& program);

}  // namespace orv::win
