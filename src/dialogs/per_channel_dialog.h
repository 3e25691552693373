// The per-channel setting dialogs (date/time display, title display, title
// position, font size, video output).
#pragma once

#include "app/program_win.h"
#include "dialogs/per_channel.h"

namespace orv::win {

void open_per_channel_dialog(Program& program, PerChannelMember member);

}  // namespace orv::win
