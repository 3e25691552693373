#include "unit_settings/screen_pattern.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "protocol/source_code.h"

namespace orv {

std::vector<std::string> layout_names() {
  std::vector<std::string> names;
  for (int p = 0; p < kPatternCount; ++p) names.push_back("OP" + decimal_text(p + 1, 2));
  names.push_back("FREE");
  return names;
}

std::vector<std::string> source_names(int inputCount) {
  std::vector<std::string> names;
  for (int code = 0; code < inputCount + kPatternCount; ++code)
    names.push_back(*source_display_name(code, inputCount));
  return names;
}

int ScreenPatternEditor::entry_item() const {
  const int code = settings_.screenPatterns[layout()][output()];
  return is_valid_source_code(code, settings_.inputCount) ? code : -1;
}

void ScreenPatternEditor::clamp_on_open() {
  if (layout() < 0 || layout() >= kLayoutCount) settings_.currentScreenPattern = 0;
}

void ScreenPatternEditor::choose_layout(int layout) {
  if (layout >= 0 && layout < kLayoutCount) settings_.currentScreenPattern = layout;
}

void ScreenPatternEditor::choose_output(int output) {
  if (output < 0 || output >= kOutputCount) return;
  output_.current = output;
  output_.painted = output;
}

void ScreenPatternEditor::store_entry(int code) {
  settings_.screenPatterns[layout()][output()] = code;
  settings_.settingsDirty = 1;
}

void ScreenPatternEditor::store_same_entry(int code) {
  settings_.screenPatterns[layout()].fill(code);
  settings_.settingsDirty = 1;
}

Command ScreenPatternEditor::output_command() const {
  const int code = settings_.screenPatterns[layout()][output()];
  if (layout() == kFreeLayout)
    return build_free_layout_output(output(), code, settings_.inputCount);
  return build_pattern_output(layout(), output(), code, settings_.inputCount);
}

Command ScreenPatternEditor::layout_command() const {
  const LayoutRow& row = settings_.screenPatterns[layout()];
  if (layout() == kFreeLayout) return build_free_layout(row, settings_.inputCount);
  return build_pattern(layout(), row, settings_.inputCount);
}

Command ScreenPatternEditor::switch_screens() {
  LayoutRow& free = settings_.screenPatterns[kFreeLayout];
  if (layout() != kFreeLayout && free != settings_.screenPatterns[layout()]) {
    free = settings_.screenPatterns[layout()];
    settings_.settingsDirty = 1;
  }
  return build_switch_pattern(layout());
}

PaintedTable ScreenPatternEditor::painted_table() const {
  PaintedTable table;
  for (int i = 0; i < kOutputCount; ++i) {
    const auto name =
        source_display_name(settings_.screenPatterns[layout()][i], settings_.inputCount);
    table.push_back(table_entry(i, channel_name(i) + " =", name.value_or("----")));
  }
  return table;
}

}  // namespace orv
