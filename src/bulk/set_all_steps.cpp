#include "bulk/set_all_steps.h"

#include <span>

#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "titles/title_codec.h"

namespace orv {
namespace {

int skipped_inputs(int inputCount) {
  return 64 - inputCount;
}

std::span<const int> inputs_of(const std::array<int, kMaxInputs>& values, int inputCount) {
  return std::span<const int>(values.data(), static_cast<size_t>(inputCount));
}

BulkStep layout_in_force(const DeviceSettings& s) {
  const int pattern = s.currentScreenPattern;
  if (pattern < 0 || pattern >= kLayoutCount) return {Command::refused(), "layout in force"};
  return {build_free_layout(s.screenPatterns[pattern], s.inputCount), "layout in force"};
}

BulkStep title_step(int channel, const DeviceSettings& s) {
  const std::string label = "title ch." + decimal_text(channel + 1, 2);
  const auto padded = pad_title(title_text(s.titles[channel]));
  const auto codes = padded ? encode_title(*padded) : std::nullopt;
  if (!codes) return {Command::refused(), label, true};
  return {build_title(channel, *codes), label};
}

}  // namespace

int set_all_step_count(int inputCount) {
  return 208 - skipped_inputs(inputCount);
}

BulkStep set_all_step(int s, const DeviceSettings& d) {
  const int skip = skipped_inputs(d.inputCount);
  const int inputs = d.inputCount;
  if (s == 1) return {build_switch_pattern(d.currentScreenPattern), "pattern in force"};
  if (s == 2) return layout_in_force(d);
  if (s >= 3 && s <= 66)
    return {build_pattern(s - 3, d.screenPatterns[s - 3], inputs),
            "pattern OP" + decimal_text(s - 2, 2)};
  if (s >= 67 && s <= 130)
    return {build_switching_pattern(s - 67, d.autoSwitchPatterns[s - 67], inputs),
            "switching pattern SP" + decimal_text(s - 66, 2)};
  if (s == 131) return {build_date_time_range(d.dateTimeRange), "date/time display range"};
  if (s == 132) return {build_date_time_size(d.dateTimeSize), "date/time display size"};
  if (s == 133)
    return {build_all_date_time_display_input(inputs_of(d.dateTimeDisplayInput, inputs)),
            "date/time display, inputs"};
  if (s == 134)
    return {build_all_date_time_display_output(d.dateTimeDisplayOutput),
            "date/time display, outputs"};
  if (s >= 135 && s <= 198 - skip) return title_step(s - 135, d);
  switch (s + skip) {
    case 199:
      return {build_all_title_display_input(inputs_of(d.titleDisplayInput, inputs)),
              "title display, inputs"};
    case 200:
      return {build_all_title_display_output(d.titleDisplayOutput), "title display, outputs"};
    case 201:
      return {build_all_title_position(inputs_of(d.titlePosition, inputs)), "title position"};
    case 202:
      return {build_all_font_size(inputs_of(d.fontSize, inputs)), "font size"};
    case 203:
      return {build_title_offset_top(d.titleOffsetTop), "top title offset"};
    case 204:
      return {build_title_offset_bottom(d.titleOffsetBottom), "bottom title offset"};
    case 205:
      return {build_password_on_button(d.passwordOnButton), "password on button operation"};
    case 206:
      return {build_password_on_menu(d.passwordOnMenu), "password on menu operation"};
    case 207:
      return {build_password(buffer_text(d.password)), "password"};
    case 208:
      return {build_all_video_output(d.videoOutput), "video output"};
    default:
      return {Command::refused(), "step " + std::to_string(s) + " (no such step)"};
  }
}

}  // namespace orv
