#include "bulk/pattern_steps.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"

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

}  // namespace orv
