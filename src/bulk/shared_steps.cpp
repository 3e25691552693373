#include "bulk/shared_steps.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "protocol/title_codec.h"

namespace orv {

BulkStep screen_pattern_step(int pattern, const DeviceSettings& s) {
  if (pattern < 0 || pattern >= kPatternCount) return {Command::refused(), "no such pattern"};
  return {build_pattern(pattern, s.screenPatterns[pattern], s.inputCount),
          "pattern OP" + decimal_text(pattern + 1, 2)};
}

BulkStep switching_pattern_step(int pattern, const DeviceSettings& s) {
  if (pattern < 0 || pattern >= kPatternCount) return {Command::refused(), "no such pattern"};
  return {build_switching_pattern(pattern, s.autoSwitchPatterns[pattern], s.inputCount),
          "switching pattern SP" + decimal_text(pattern + 1, 2)};
}

std::vector<BulkStep> title_steps(int channel, const DeviceSettings& s) {
  const std::string label = "title ch." + decimal_text(channel + 1, 2);
  if (channel < 0 || channel >= kMaxInputs) return {{Command::refused(), label}};
  const auto codes = title_codes(title_text(s.titles[channel]));
  if (!codes) return {{Command::refused(), label, true}};
  std::vector<BulkStep> steps{{build_title(channel, *codes), label}};
  for (int position = 0; position < kTitleCharacters; ++position) {
    const auto registration = registration_of_glyph_code((*codes)[static_cast<size_t>(position)]);
    if (!registration) continue;
    steps.push_back({build_insert_glyph(*registration, channel, position),
                     label + " external character " + decimal_text(*registration + 1, 3)});
  }
  return steps;
}

std::vector<BulkStep> all_title_steps(const DeviceSettings& s) {
  std::vector<BulkStep> steps;
  for (int channel = 0; channel < s.inputCount; ++channel)
    for (BulkStep& step : title_steps(channel, s)) steps.push_back(std::move(step));
  return steps;
}

}  // namespace orv
