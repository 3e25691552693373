// The per-channel setting dialogs (date/time display, title display, title
// position, font size, video output).
#pragma once

#include "protocol/channel_arrays.h"
#include "win/base/program.h"

namespace orv::win {

void open_per_channel_dialog(Program& program, PerChannelMember member);

}  // namespace orv::win
