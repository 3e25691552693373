#include "bulk/read_all_steps.h"

#include <array>

#include "protocol/channel_arrays.h"
#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

using Build = BulkStep (*)(int index);
struct Group {
  int (*count)(int inputCount);
  Build build;
};

int one(int) {
  return 1;
}
int patterns(int) {
  return kPatternCount;
}
int inputs(int inputCount) {
  return inputCount;
}

template <PerChannelMember member>
BulkStep read_channels(int) {
  const ChannelArray& array = channel_array(member);
  return {array.build_read(), std::string(array.label)};
}

// The read-all run in the order the steps go out.
constexpr std::array<Group, 18> kGroups{{
    {one,
     [](int) {
       return BulkStep{build_read_pattern_in_force(), "pattern in force"};
     }},
    {patterns,
     [](int i) {
       return BulkStep{build_read_pattern(i), "pattern OP" + decimal_text(i + 1, 2)};
     }},
    {patterns,
     [](int i) {
       return BulkStep{build_read_switching_pattern(i),
                       "switching pattern SP" + decimal_text(i + 1, 2)};
     }},
    {one,
     [](int) {
       return BulkStep{build_read_date_time_range(), "date/time display range"};
     }},
    {one,
     [](int) {
       return BulkStep{build_read_date_time_size(), "date/time display size"};
     }},
    {one, read_channels<PerChannelMember::date_time_display_input>},
    {one, read_channels<PerChannelMember::date_time_display_output>},
    {inputs,
     [](int i) {
       return BulkStep{build_read_title(i), "title ch." + decimal_text(i + 1, 2)};
     }},
    {one, read_channels<PerChannelMember::title_display_input>},
    {one, read_channels<PerChannelMember::title_display_output>},
    {one, read_channels<PerChannelMember::title_position>},
    {one, read_channels<PerChannelMember::font_size>},
    {one,
     [](int) {
       return BulkStep{build_read_title_offset_top(), "top title offset"};
     }},
    {one,
     [](int) {
       return BulkStep{build_read_title_offset_bottom(), "bottom title offset"};
     }},
    {one,
     [](int) {
       return BulkStep{build_read_password_on_button(), "password on button operation"};
     }},
    {one,
     [](int) {
       return BulkStep{build_read_password_on_menu(), "password on menu operation"};
     }},
    {one,
     [](int) {
       return BulkStep{build_read_password(), "password"};
     }},
    {one, read_channels<PerChannelMember::video_output>},
}};

}  // namespace

int read_all_step_count(int inputCount) {
  int count = 0;
  for (const Group& group : kGroups) count += group.count(inputCount);
  return count;
}

BulkStep read_all_step(int step, int inputCount) {
  int index = step - 1;
  for (const Group& group : kGroups) {
    if (index < 0) break;
    if (index < group.count(inputCount)) return group.build(index);
    index -= group.count(inputCount);
  }
  return {Command::refused(), "step " + std::to_string(step) + " (no such step)"};
}

}  // namespace orv
