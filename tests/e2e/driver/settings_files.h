// Settings files for the tests, written and read with the program's own
// core: random ones that a unit gives back unchanged, damaged ones, and the
// comparison of what a read-all can bring back.
#pragma once

#include <string>

#include "protocol/device_settings.h"

namespace e2e {

// A folder of its own under the Windows temporary folder, emptied first.
std::wstring temp_folder(const std::wstring& name);

// Settings with a different value in every group a unit keeps, drawn from a
// fixed random sequence (`draw` picks it): every value inside its list,
// titles no longer than their channel's font size lets a unit answer (14,
// 21 or 28 characters), none ending in an ideographic space, none from the
// IBM block (a unit gives those back as their NEC-selected codes). Inputs
// beyond the model's keep their start-up values, like the converter fields.
orv::DeviceSettings random_settings(int model, unsigned draw);

bool write_settings(const std::wstring& path, const orv::DeviceSettings& settings);
bool read_settings(const std::wstring& path, int model, orv::DeviceSettings& settings);

// The first line where two settings differ in what a read-all brings back,
// or 0 when they agree. The free layout (row FREE of the screen patterns) is
// left out: the unit has no command that reads it back (set-all writes the
// layout of the pattern in force into it).
int first_difference_a_unit_gives_back(const orv::DeviceSettings& sent,
                                       const orv::DeviceSettings& read);

}  // namespace e2e
