#include "unit_settings/switching_pattern.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

constexpr int kChannelsPerPage = kTableEntries;
constexpr int kLongestDwell = 99;

}  // namespace

std::vector<std::string> switching_pattern_names() {
  std::vector<std::string> names;
  for (int p = 0; p < kPatternCount; ++p) names.push_back("SP" + decimal_text(p + 1, 2));
  return names;
}

std::vector<std::string> dwell_time_names() {
  std::vector<std::string> names;
  for (int seconds = 0; seconds <= kLongestDwell; ++seconds)
    names.push_back(decimal_text(seconds, 2));
  return names;
}

int SwitchingPatternEditor::time_item() const {
  const int seconds = row()[static_cast<size_t>(input())];
  return seconds >= 0 && seconds <= kLongestDwell ? seconds : -1;
}

std::vector<std::string> SwitchingPatternEditor::input_names() const {
  std::vector<std::string> names;
  for (int i = 0; i < settings_.inputCount; ++i) names.push_back(channel_name(i));
  return names;
}

void SwitchingPatternEditor::clamp_on_open() {
  if (input_.current < settings_.inputCount) return;
  input_.current = settings_.inputCount - 1;
  input_.painted = input_.current;
}

void SwitchingPatternEditor::choose_pattern(int pattern) {
  if (pattern >= 0 && pattern < kPatternCount) pattern_ = pattern;
}

bool SwitchingPatternEditor::choose_input(int input) {
  if (input < 0 || input >= settings_.inputCount) return false;
  input_.current = input;
  const bool page_changed = input / kChannelsPerPage != input_.painted / kChannelsPerPage;
  input_.painted = input;
  return page_changed;
}

void SwitchingPatternEditor::store_time(int seconds) {
  row()[static_cast<size_t>(input())] = seconds;
  settings_.settingsDirty = 1;
}

void SwitchingPatternEditor::store_same_time(int seconds) {
  for (int i = 0; i < settings_.inputCount; ++i) row()[static_cast<size_t>(i)] = seconds;
  settings_.settingsDirty = 1;
}

Command SwitchingPatternEditor::input_command() const {
  return build_dwell_time(pattern_, input(), row()[static_cast<size_t>(input())]);
}

Command SwitchingPatternEditor::pattern_command() const {
  return build_switching_pattern(pattern_, row(), settings_.inputCount);
}

PaintedTable SwitchingPatternEditor::painted_table() const {
  PaintedTable table;
  const int page = input() / kChannelsPerPage;
  for (int i = 0; i < kChannelsPerPage; ++i) {
    const int channel = page * kChannelsPerPage + i;
    const int seconds = row()[static_cast<size_t>(channel)];
    const std::string value =
        seconds >= 0 && seconds <= kLongestDwell ? decimal_text(seconds, 2) + " 秒" : "-- 秒";
    table.push_back(table_entry(i, channel_name(channel) + " =", value));
  }
  return table;
}

}  // namespace orv
