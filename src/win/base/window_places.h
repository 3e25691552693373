// Windows that know their place: the traffic log opens beside the main
// window and comes back where the operator left it, with its size; the
// status window comes back where it was (its size is its own). A place on
// a monitor that is gone is not taken: the window opens beside the main
// window instead.
#pragma once

#include <windows.h>

#include "win/base/program.h"

namespace orv::win {

inline constexpr char kTrafficLogPlace[] = "traffic_log_place";
inline constexpr char kStatusWindowPlace[] = "status_window_place";

// The traffic log: its place and size, kept; otherwise beside the main
// window.
void restore_place_and_size(Program& program, HWND window, const char* key);
// The status window: its place, kept; otherwise where it opens.
void restore_place(Program& program, HWND window, const char* key);
// Keeps where `window` is now under `key`.
void keep_place(Program& program, HWND window, const char* key);

}  // namespace orv::win
