// The per-channel setting dialog family: seven dialogs of one shape, each
// editing one array of per-channel values, showing every channel of a page
// in a painted table and sending one channel or all channels. This is the
// family's behaviour without windows; the dialog procedure calls it.
#pragma once

#include <string>
#include <vector>

#include "protocol/channel_arrays.h"
#include "protocol/channels.h"
#include "protocol/command.h"
#include "protocol/device_settings.h"
#include "unit_settings/painted_table.h"

namespace orv {

// What the operator reads in a member's dialog.
struct MemberTraits {
  const char* title;                 // window title, followed by settingsFilePath
  const char* channel_label;         // "入力チャンネル" / "出力チャンネル"
  const char* value_label;           // "表示", "表示位置", "表示サイズ", "映像出力"
  const char* same_value_label;      // "同表示", …
  std::vector<const char*> values;   // the value list, in the order of the stored values
  std::vector<const char*> painted;  // the table's value texts, all of one length
  int same_value_initial;            // the same-value list's initial item
};

const MemberTraits& member_traits(PerChannelMember member);

// Beside ch.01 of video output, which cannot be switched.
inline constexpr int kFixedMarkX = 125, kFixedMarkY = 40;
inline constexpr const char* kFixedMark = "( 固定 )";

// One member's dialog over the settings and the channel choice it shares
// with its side (the current input channel, the current output channel, or
// video output's own).
class PerChannelEditor {
 public:
  PerChannelEditor(PerChannelMember member, DeviceSettings& settings, ChannelSelection& selection)
      : member_(member), settings_(settings), selection_(selection) {}

  const MemberTraits& traits() const { return member_traits(member_); }
  ChannelSide side() const { return channel_array(member_).side; }

  // The channel list: "ch.01" onward ("ch.02" onward for video output).
  std::vector<std::string> channel_items() const;
  int current_item() const { return selection_.current; }

  // On opening: an input-side member whose current channel lies beyond the
  // model's inputs (after a switch to the smaller model) opens on the last one.
  void clamp_on_open();

  // The stored value of the current channel, as the value list's index; -1
  // when it lies outside the list (a settings file may hold such a value).
  int value_item_of_current() const;

  // Choosing a channel; returns whether the table must be repainted (its
  // page changed).
  bool choose_channel(int item);
  // Choosing a value for the current channel; marks the settings changed.
  void store_value(int value);
  // Choosing a value for every channel of the side (video output keeps ch.01).
  void store_same_value(int value);

  Command per_channel_command() const;
  Command all_channel_command() const;

  // The page of the current channel: "ch.01 =" and "ON ", "OFF", "TOP   ", ….
  PaintedTable painted_table() const;
  bool fixed_mark() const { return side() == ChannelSide::video_output; }

 private:
  int listed_channels() const;
  int channel_of_item(int item) const;
  int page_of_item(int item) const;
  std::string painted_value(int value) const;

  PerChannelMember member_;
  DeviceSettings& settings_;
  ChannelSelection& selection_;
};

}  // namespace orv
