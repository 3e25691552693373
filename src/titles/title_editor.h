// The title dialog without windows: the current input channel, its title as
// the operator types it (kept in Shift_JIS, at most 56 bytes), the painted
// table of eight channels a page, and the title command.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/channels.h"
#include "protocol/command.h"
#include "protocol/device_settings.h"

namespace orv {

struct TitleTableEntry {
  int label_x;
  int title_x;
  int y;
  std::string label;            // "ch.03 ="
  std::string title_shift_jis;  // the channel's title as the settings hold it
};

inline constexpr int kTitlesPerPage = 8;

class TitleEditor {
 public:
  TitleEditor(DeviceSettings& settings, ChannelSelection& input)
      : settings_(settings), input_(input) {}

  // After a switch to the smaller model the current input is the last one.
  void clamp_on_open();
  std::vector<std::string> channel_items() const;
  int channel() const { return input_.current; }
  // Returns whether the painted page of eight changed.
  bool choose_channel(int channel);

  std::string_view title() const;
  // The operator's edit of the current channel's title (Shift_JIS); a text
  // longer than a title holds is refused (false) and nothing changes.
  bool store_title(std::string_view shift_jis);

  std::vector<TitleTableEntry> painted_table() const;

 private:
  DeviceSettings& settings_;
  ChannelSelection& input_;
};

}  // namespace orv
