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

BulkStep title_step(int channel, const DeviceSettings& s) {
  const std::string label = "title ch." + decimal_text(channel + 1, 2);
  if (channel < 0 || channel >= kMaxInputs) return {Command::refused(), label};
  const auto codes = title_codes(title_text(s.titles[channel]));
  if (!codes) return {Command::refused(), label, true};
  return {build_title(channel, *codes), label};
}

}  // namespace orv
