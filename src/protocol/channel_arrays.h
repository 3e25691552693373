// The seven settings the unit keeps one value per channel for (date/time
// display and title display on each side, title position, font size, video
// output): one constant row each, read by the command builders, the reply
// parsers and the per-channel dialogs alike.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "protocol/command.h"
#include "protocol/device_settings.h"

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

// Which channels a member covers: the inputCount inputs, the 32 outputs, or
// the outputs of video output, whose ch.01 is fixed.
enum class ChannelSide { input, output, video_output };

struct ChannelArray {
  PerChannelMember member;
  std::string_view label;  // "title display, inputs": names the setting in messages
  ChannelSide side;
  std::span<const int> (*values)(const DeviceSettings& settings);
  // The all-channel command and its reply: the prefix, then one letter per
  // channel, the letter's position in `letters` being the stored value.
  std::string_view prefix;
  std::string_view letters;
  // The letter position a stored value outside `letters` is sent and shown as
  // (a settings file may hold such a value).
  int beyond_letters;
  Command (*build_single)(int channel, int value);  // the single-channel command
  Command (*build_read)();
};

const ChannelArray& channel_array(PerChannelMember member);
inline constexpr std::array<PerChannelMember, 7> kPerChannelMembers{
    PerChannelMember::date_time_display_input,
    PerChannelMember::date_time_display_output,
    PerChannelMember::title_display_input,
    PerChannelMember::title_display_output,
    PerChannelMember::title_position,
    PerChannelMember::font_size,
    PerChannelMember::video_output};

// The member's array in `settings`, to change.
std::span<int> channel_values(PerChannelMember member, DeviceSettings& settings);

// Channels the all-channel command and its reply carry: inputCount for the
// input side, 32 otherwise (video output includes its fixed ch.01).
int carried_channels(const ChannelArray& array, int inputCount);

// The position in `letters` that a stored value is sent and shown as.
int letter_index(const ChannelArray& array, int value);

// The all-channel command: the prefix and one letter per value.
Command build_all_channels(PerChannelMember member, std::span<const int> values);

// The all-channel reply ("CTI" + letters + CR LF) stored into the member's
// array; false, with nothing stored, unless every letter is one of `letters`
// and the line ends where the channel count puts its end.
bool parse_all_channels(PerChannelMember member, std::string_view line, DeviceSettings& settings);

}  // namespace orv
