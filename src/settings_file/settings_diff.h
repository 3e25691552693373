// The settings two sets hold differently, each named by its field and
// channel ("titleDisplayInput ch.05", "screenPatterns OP12 ch.03"), for the
// command-line diff and for checking what a unit gave back after a set-all.
// Titles are compared as the JIS codes the unit holds for them.
#pragma once

#include <string>
#include <vector>

#include "protocol/device_settings.h"

namespace orv {

struct SettingDifference {
  std::string name;   // field name and channel
  std::string left;   // the value in the first set, as the settings file writes it
  std::string right;  // the value in the second
};

enum class Compared {
  // Every value a settings file holds, for the inputs of the first set's model.
  whole_file,
  // What a read-all brings back after a set-all of `left`: no free layout
  // (no command reads it) and no converter fields (read-all leaves them),
  // and each title only as far as its channel's font size lets a unit
  // answer (14, 21 or 28 characters), trailing ideographic spaces aside.
  what_a_unit_gives_back,
};

std::vector<SettingDifference> settings_differences(const DeviceSettings& left,
                                                    const DeviceSettings& right, Compared compared);

// The characters of a title reply for a font size (0 large, 1 medium, 2 small).
int title_reply_characters(int font_size);

}  // namespace orv
