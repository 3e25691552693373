// The per-channel setting dialog family: seven dialogs of one shape, each
// editing one array of per-channel values, showing every channel of a page
// in a painted table and sending one channel or all channels. This is the
// family's behaviour without windows; the dialog procedure calls it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "protocol/command.h"

namespace orv {

enum class PerChannelMember {
  date_time_display_input,
  date_time_display_output,
  title_display_input,
  title_display_output,
  title_position,
  font_size,
  video_output,
};

enum class ChannelSide { input, output, video_output };

struct MemberTraits {
  const char* title;                // window title, followed by settingsFilePath
  const char* channel_label;        // "入力チャンネル" / "出力チャンネル"
  const char* value_label;          // "表示", "表示位置", "表示サイズ", "映像出力"
  const char* same_value_label;     // "同表示", …
  std::vector<const char*> values;  // the value list, in the order of the stored values
  int same_value_initial;           // the same-value list's initial item
  ChannelSide side;
};

const MemberTraits& member_traits(PerChannelMember member);
inline constexpr PerChannelMember kAllMembers[] = {PerChannelMember::date_time_display_input,
                                                   PerChannelMember::date_time_display_output,
                                                   PerChannelMember::title_display_input,
                                                   PerChannelMember::title_display_output,
                                                   PerChannelMember::title_position,
                                                   PerChannelMember::font_size,
                                                   PerChannelMember::video_output};

// The member's array in DeviceSettings.
std::span<int> member_values(DeviceSettings& settings, PerChannelMember member);

// Channels of the member's side: inputCount inputs, 32 outputs, or the 31
// outputs 02..32 that video output can switch.
int listed_channels(PerChannelMember member, int inputCount);
// The channel list's items: "ch.01" onward ("ch.02" onward for video output).
std::vector<std::string> channel_items(PerChannelMember member, int inputCount);
// Channel index (0-based, into the member's array) of a channel-list index.
int channel_of_item(PerChannelMember member, int item);

// The channel choice the member shares with its side: the current input
// channel, the current output channel, or video output's own.
ChannelSelection& selection_for(AppState& state, PerChannelMember member);

// On opening: an input-side member whose current channel lies beyond the
// model's inputs (after a switch to the smaller model) opens on the last one.
void clamp_on_open(AppState& state, PerChannelMember member);

// The stored value of the current channel, as the value list's index; -1
// when it lies outside the list (a settings file may hold such a value).
int value_item_of_current(AppState& state, PerChannelMember member);

// Choosing a channel; returns whether the table must be repainted (its
// page changed).
bool choose_channel(AppState& state, PerChannelMember member, int item);
// Choosing a value for the current channel; marks the settings changed.
void store_value(AppState& state, PerChannelMember member, int value);
// Choosing a value for every channel of the side (video output keeps ch.01).
void store_same_value(AppState& state, PerChannelMember member, int value);

Command per_channel_command(AppState& state, PerChannelMember member);
Command all_channel_command(AppState& state, PerChannelMember member);

// The painted table: 32 entries of a page, 4 columns of 8 rows.
struct PaintedEntry {
  int label_x;
  int value_x;
  int y;
  std::string label;  // "ch.01 ="
  std::string value;  // "ON ", "OFF", "TOP   ", …
};
struct PaintedTable {
  std::vector<PaintedEntry> entries;
  bool fixed_mark = false;  // "( 固定 )" beside ch.01 of video output
};
inline constexpr int kTableLeft = 25, kTableTop = 20, kTableRight = 690, kTableBottom = 250;
inline constexpr int kFixedMarkX = 125, kFixedMarkY = 40;
inline constexpr const char* kFixedMark = "( 固定 )";

PaintedTable painted_table(AppState& state, PerChannelMember member);
// The value text the table shows for a stored value.
std::string painted_value(PerChannelMember member, int value);

}  // namespace orv
