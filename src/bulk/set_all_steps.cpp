#include "bulk/set_all_steps.h"

#include <array>
#include <span>

#include "bulk/shared_steps.h"
#include "protocol/channel_arrays.h"
#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

using Build = BulkStep (*)(int index, const DeviceSettings& settings);
struct Group {
  int (*count)(const DeviceSettings& settings);
  Build build;
};

int one(const DeviceSettings&) {
  return 1;
}
int patterns(const DeviceSettings&) {
  return kPatternCount;
}
// A title command for each input, and an insert for each external character.
int title_step_count(const DeviceSettings& s) {
  return static_cast<int>(all_title_steps(s).size());
}
BulkStep title_step(int index, const DeviceSettings& s) {
  return all_title_steps(s)[static_cast<size_t>(index)];
}

BulkStep layout_in_force(int, const DeviceSettings& s) {
  const int pattern = s.currentScreenPattern;
  if (pattern < 0 || pattern >= kLayoutCount) return {Command::refused(), "layout in force"};
  return {build_free_layout(s.screenPatterns[pattern], s.inputCount), "layout in force"};
}

// The member's values for every channel its all-channel command carries.
template <PerChannelMember member>
BulkStep set_channels(int, const DeviceSettings& s) {
  const ChannelArray& array = channel_array(member);
  const std::span<const int> values =
      array.values(s).first(static_cast<size_t>(carried_channels(array, s.inputCount)));
  return {build_all_channels(member, values), std::string(array.label)};
}

// The set-all run in the order the steps go out.
constexpr std::array<Group, 19> kGroups{{
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_switch_pattern(s.currentScreenPattern), "pattern in force"};
     }},
    {one, layout_in_force},
    {patterns, screen_pattern_step},
    {patterns, switching_pattern_step},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_date_time_range(s.dateTimeRange), "date/time display range"};
     }},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_date_time_size(s.dateTimeSize), "date/time display size"};
     }},
    {one, set_channels<PerChannelMember::date_time_display_input>},
    {one, set_channels<PerChannelMember::date_time_display_output>},
    {title_step_count, title_step},
    {one, set_channels<PerChannelMember::title_display_input>},
    {one, set_channels<PerChannelMember::title_display_output>},
    {one, set_channels<PerChannelMember::title_position>},
    {one, set_channels<PerChannelMember::font_size>},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_title_offset_top(s.titleOffsetTop), "top title offset"};
     }},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_title_offset_bottom(s.titleOffsetBottom), "bottom title offset"};
     }},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_password_on_button(s.passwordOnButton),
                       "password on button operation"};
     }},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_password_on_menu(s.passwordOnMenu), "password on menu operation"};
     }},
    {one,
     [](int, const DeviceSettings& s) {
       return BulkStep{build_password(buffer_text(s.password)), "password"};
     }},
    {one, set_channels<PerChannelMember::video_output>},
}};

}  // namespace

int set_all_step_count(const DeviceSettings& settings) {
  int count = 0;
  for (const Group& group : kGroups) count += group.count(settings);
  return count;
}

BulkStep set_all_step(int step, const DeviceSettings& settings) {
  int index = step - 1;
  for (const Group& group : kGroups) {
    if (index < 0) break;
    const int count = group.count(settings);
    if (index < count) return group.build(index, settings);
    index -= count;
  }
  return {Command::refused(), "step " + std::to_string(step) + " (no such step)"};
}

}  // namespace orv
