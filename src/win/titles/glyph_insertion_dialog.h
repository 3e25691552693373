// "外字挿入": putting a registered external character into a channel title.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_glyph_insertion_dialog(Program& program);

}  // namespace orv::win
