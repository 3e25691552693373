// "タイトル": typing the titles of the input channels and sending one or all.
#pragma once

#include "app/program_win.h"

namespace orv::win {

void open_title_dialog(Program& program);

// The warning of a title that the unit cannot take.
void warn_unsendable_title();

}  // namespace orv::win
