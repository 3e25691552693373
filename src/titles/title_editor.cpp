#include "titles/title_editor.h"

#include "protocol/commands.h"
#include "protocol/title_codec.h"

namespace orv {

void TitleEditor::clamp_on_open() {
  if (input_.current < settings_.inputCount) return;
  input_.current = settings_.inputCount - 1;
  input_.painted = input_.current;
}

std::vector<std::string> TitleEditor::channel_items() const {
  std::vector<std::string> items;
  for (int channel = 0; channel < settings_.inputCount; ++channel)
    items.push_back(channel_name(channel));
  return items;
}

bool TitleEditor::choose_channel(int channel) {
  if (channel < 0 || channel >= settings_.inputCount) return false;
  input_.current = channel;
  const bool page_changed = channel / kTitlesPerPage != input_.painted / kTitlesPerPage;
  input_.painted = channel;
  return page_changed;
}

std::string_view TitleEditor::title() const {
  return title_text(settings_.titles[static_cast<size_t>(channel())]);
}

bool TitleEditor::store_title(std::string_view shift_jis) {
  if (shift_jis.size() > kTitleBytes) return false;
  set_title(settings_.titles[static_cast<size_t>(channel())], shift_jis);
  settings_.settingsDirty = 1;
  return true;
}

std::vector<TitleTableEntry> TitleEditor::painted_table() const {
  std::vector<TitleTableEntry> table;
  const int page = channel() / kTitlesPerPage;
  for (int i = 0; i < kTitlesPerPage; ++i) {
    const int shown = page * kTitlesPerPage + i;
    table.push_back(TitleTableEntry{35, 105, 40 + 25 * i, channel_name(shown) + " =",
                                    std::string(title_text(settings_.titles[shown]))});
  }
  return table;
}

}  // namespace orv
