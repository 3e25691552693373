#include "protocol/channel_arrays.h"

#include <string>

#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

constexpr std::string_view kOnOff = "FN";

// In the order of PerChannelMember.
constexpr std::array<ChannelArray, 7> kArrays{{
    {PerChannelMember::date_time_display_input, "date/time display, inputs", ChannelSide::input,
     [](const DeviceSettings& s) { return std::span<const int>(s.dateTimeDisplayInput); }, "TSI",
     kOnOff, 0, build_date_time_display_input, build_read_date_time_display_input},
    {PerChannelMember::date_time_display_output, "date/time display, outputs", ChannelSide::output,
     [](const DeviceSettings& s) { return std::span<const int>(s.dateTimeDisplayOutput); }, "TSO",
     kOnOff, 0, build_date_time_display_output, build_read_date_time_display_output},
    {PerChannelMember::title_display_input, "title display, inputs", ChannelSide::input,
     [](const DeviceSettings& s) { return std::span<const int>(s.titleDisplayInput); }, "CTI",
     kOnOff, 0, build_title_display_input, build_read_title_display_input},
    {PerChannelMember::title_display_output, "title display, outputs", ChannelSide::output,
     [](const DeviceSettings& s) { return std::span<const int>(s.titleDisplayOutput); }, "CTO",
     kOnOff, 0, build_title_display_output, build_read_title_display_output},
    {PerChannelMember::title_position, "title position", ChannelSide::input,
     [](const DeviceSettings& s) { return std::span<const int>(s.titlePosition); }, "CTPI", "BT", 1,
     build_title_position, build_read_title_position},
    {PerChannelMember::font_size, "font size", ChannelSide::input,
     [](const DeviceSettings& s) { return std::span<const int>(s.fontSize); }, "CTSI", "LMS", 2,
     build_font_size, build_read_font_size},
    {PerChannelMember::video_output, "video output", ChannelSide::video_output,
     [](const DeviceSettings& s) { return std::span<const int>(s.videoOutput); }, "OE", kOnOff, 1,
     build_video_output, build_read_video_output},
}};

}  // namespace

const ChannelArray& channel_array(PerChannelMember member) {
  return kArrays[static_cast<size_t>(member)];
}

std::span<int> channel_values(PerChannelMember member, DeviceSettings& settings) {
  // The row reads through a const view; the settings themselves are not const.
  const std::span<const int> values = channel_array(member).values(settings);
  return {const_cast<int*>(values.data()), values.size()};
}

int carried_channels(const ChannelArray& array, int inputCount) {
  return array.side == ChannelSide::input ? inputCount : kOutputCount;
}

int letter_index(const ChannelArray& array, int value) {
  const bool listed = value >= 0 && static_cast<size_t>(value) < array.letters.size();
  return listed ? value : array.beyond_letters;
}

Command build_all_channels(PerChannelMember member, std::span<const int> values) {
  const ChannelArray& array = channel_array(member);
  std::string line(array.prefix);
  for (int value : values) line += array.letters[static_cast<size_t>(letter_index(array, value))];
  return Command::line(line + "\r\n");
}

bool parse_all_channels(PerChannelMember member, std::string_view line, DeviceSettings& settings) {
  const ChannelArray& array = channel_array(member);
  const size_t count = static_cast<size_t>(carried_channels(array, settings.inputCount));
  const size_t end = array.prefix.size() + count;
  if (line.size() < end + 2 || line.substr(end, 2) != "\r\n") return false;
  std::array<int, kMaxInputs> letters{};
  for (size_t i = 0; i < count; ++i) {
    const size_t position = array.letters.find(line[array.prefix.size() + i]);
    if (position == std::string_view::npos) return false;
    letters[i] = static_cast<int>(position);
  }
  const std::span<int> target = channel_values(member, settings);
  for (size_t i = 0; i < count; ++i) target[i] = letters[i];
  return true;
}

}  // namespace orv
