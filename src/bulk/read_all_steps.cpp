#include "bulk/read_all_steps.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

int skipped_inputs(int inputCount) {
  return 64 - inputCount;
}

}  // namespace

int read_all_step_count(int inputCount) {
  return 207 - skipped_inputs(inputCount);
}

BulkStep read_all_step(int s, int inputCount) {
  const int skip = skipped_inputs(inputCount);
  if (s == 1) return {build_read_pattern_in_force(), "pattern in force"};
  if (s >= 2 && s <= 65) return {build_read_pattern(s - 2), "pattern OP" + decimal_text(s - 1, 2)};
  if (s >= 66 && s <= 129)
    return {build_read_switching_pattern(s - 66), "switching pattern SP" + decimal_text(s - 65, 2)};
  if (s == 130) return {build_read_date_time_range(), "date/time display range"};
  if (s == 131) return {build_read_date_time_size(), "date/time display size"};
  if (s == 132) return {build_read_date_time_display_input(), "date/time display, inputs"};
  if (s == 133) return {build_read_date_time_display_output(), "date/time display, outputs"};
  if (s >= 134 && s <= 197 - skip)
    return {build_read_title(s - 134), "title ch." + decimal_text(s - 133, 2)};
  switch (s + skip) {
    case 198:
      return {build_read_title_display_input(), "title display, inputs"};
    case 199:
      return {build_read_title_display_output(), "title display, outputs"};
    case 200:
      return {build_read_title_position(), "title position"};
    case 201:
      return {build_read_font_size(), "font size"};
    case 202:
      return {build_read_title_offset_top(), "top title offset"};
    case 203:
      return {build_read_title_offset_bottom(), "bottom title offset"};
    case 204:
      return {build_read_password_on_button(), "password on button operation"};
    case 205:
      return {build_read_password_on_menu(), "password on menu operation"};
    case 206:
      return {build_read_password(), "password"};
    case 207:
      return {build_read_video_output(), "video output"};
    default:
      return {Command::refused(), "step " + std::to_string(s) + " (no such step)"};
  }
}

}  // namespace orv
