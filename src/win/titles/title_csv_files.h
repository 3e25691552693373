// The title dialog's "Export…" and "Import…": the titles of every input
// channel to and from a CSV file.
#pragma once

#include <windows.h>

#include "protocol/device_settings.h"

namespace orv::win {

// Asks for a file and writes every input channel's title to it.
void export_titles(HWND owner, const DeviceSettings& settings);

// Asks for a file and takes its titles only when every line is good: a line
// that is not "channel,title", a channel out of range or named twice, or a
// title that cannot be sent is reported by its line, and nothing changes.
// True when titles were taken.
bool import_titles(HWND owner, DeviceSettings& settings);

}  // namespace orv::win
