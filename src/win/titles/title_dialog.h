// "タイトル": typing the titles of the input channels and sending one or all.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_title_dialog(Program& program);

}  // namespace orv::win
