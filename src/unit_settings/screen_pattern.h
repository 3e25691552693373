// The screen display pattern dialog without windows: the 64 patterns and
// the free layout FREE, what each of the 32 outputs shows in them, the
// commands that send one output, one layout or every pattern, and the
// switching of the unit's screens.
#pragma once

#include <string>
#include <vector>

#include "protocol/channels.h"
#include "protocol/command.h"
#include "protocol/device_settings.h"
#include "unit_settings/painted_table.h"

namespace orv {

// The items of the pattern list: "OP01".."OP64", "FREE".
std::vector<std::string> layout_names();
// The items of the display screen lists, in source code order: "IN01" up
// to the last input, then "SP01".."SP64".
std::vector<std::string> source_names(int inputCount);

class ScreenPatternEditor {
 public:
  // The layout shown and edited is the pattern in force (currentScreenPattern);
  // the output is the current output channel the output-side dialogs share.
  ScreenPatternEditor(DeviceSettings& settings, ChannelSelection& output)
      : settings_(settings), output_(output) {}

  // A pattern in force outside the list (only a damaged settings file holds
  // one) becomes OP01 when the dialog opens, so no entry is read or written
  // outside the table.
  void clamp_on_open();
  int layout() const { return settings_.currentScreenPattern; }
  int output() const { return output_.current; }
  // The source list's item of the current output, or -1 for a code outside it.
  int entry_item() const;
  // "全パターン設定" sends the 64 patterns; it is offered while one of them is shown.
  bool all_patterns_offered() const { return layout() != kFreeLayout; }

  // Choosing the layout in the list; it is saved with the settings but does
  // not count as a change of them.
  void choose_layout(int layout);
  void choose_output(int output);
  void store_entry(int code);       // the current output's entry; marks the settings changed
  void store_same_entry(int code);  // every output of the layout

  Command output_command() const;  // "チャンネル設定"
  Command layout_command() const;  // "パターン設定"
  // "画面切換え": a stored pattern is first copied into FREE, as the unit
  // does; FREE is saved with the settings, so a copy that changes it is a
  // change of them.
  Command switch_screens();

  // "ch.05 =" and "IN12", "SP03"; "----" for a code no list offers.
  PaintedTable painted_table() const;

 private:
  DeviceSettings& settings_;
  ChannelSelection& output_;
};

}  // namespace orv
