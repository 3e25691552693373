// The automatic switching pattern dialog without windows: 64 patterns of a
// dwell time (0..99 s) per input, of which the model's inputCount are shown
// and sent, 32 inputs to a page of the painted table.
#pragma once

#include <string>
#include <vector>

#include "protocol/channels.h"
#include "protocol/command.h"
#include "protocol/device_settings.h"
#include "unit_settings/painted_table.h"

namespace orv {

// "SP01".."SP64"; "00".."99" (the item is the time).
std::vector<std::string> switching_pattern_names();
std::vector<std::string> dwell_time_names();

class SwitchingPatternEditor {
 public:
  // `pattern` is the dialog's own choice, kept between openings; `input` the
  // current input channel the input-side dialogs share.
  SwitchingPatternEditor(DeviceSettings& settings, int& pattern, ChannelSelection& input)
      : settings_(settings), pattern_(pattern), input_(input) {}

  int pattern() const { return pattern_; }
  int input() const { return input_.current; }
  // The time list's item of the current input, or -1 for a time outside 0..99.
  int time_item() const;
  std::vector<std::string> input_names() const;

  // After a switch to the smaller model the current input is the last one.
  void clamp_on_open();
  void choose_pattern(int pattern);
  // Returns whether the painted page changed.
  bool choose_input(int input);
  void store_time(int seconds);       // marks the settings changed
  void store_same_time(int seconds);  // the model's inputs of the pattern

  Command input_command() const;    // "チャンネル設定": one dwell time
  Command pattern_command() const;  // "パターン設定": the whole pattern

  // The page of the current input: "ch.05 =" and "10 秒".
  PaintedTable painted_table() const;

 private:
  DwellRow& row() const { return settings_.autoSwitchPatterns[static_cast<size_t>(pattern_)]; }

  DeviceSettings& settings_;
  int& pattern_;
  ChannelSelection& input_;
};

}  // namespace orv
