// The program's message boxes: without owner, task-modal, with the question
// sound before the box where the box calls for it.
#pragma once

#include <windows.h>

#include "app/reply_presentation.h"

namespace orv::win {

int show_box(const MessageBoxRequest& box);

}  // namespace orv::win
