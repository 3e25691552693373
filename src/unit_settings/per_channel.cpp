#include "unit_settings/per_channel.h"

#include <array>

namespace orv {
namespace {

constexpr int kChannelsPerPage = kTableEntries;

const std::vector<const char*> kOffOn = {"OFF", "ON"};
const std::vector<const char*> kPaintedOffOn = {"OFF", "ON "};

}  // namespace

const MemberTraits& member_traits(PerChannelMember member) {
  // In the order of PerChannelMember.
  static const std::array<MemberTraits, 7> kTraits{{
      {"日付・時刻表示（入力側）  ", "入力チャンネル", "表示", "同表示", kOffOn, kPaintedOffOn, 1},
      {"日付・時刻表示（出力側）  ", "出力チャンネル", "表示", "同表示", kOffOn, kPaintedOffOn, 1},
      {"タイトル表示 （入力側） ", "入力チャンネル", "表示", "同表示", kOffOn, kPaintedOffOn, 1},
      {"タイトル表示 (出力側) ", "出力チャンネル", "表示", "同表示", kOffOn, kPaintedOffOn, 1},
      {"タイトル位置  ",
       "入力チャンネル",
       "表示位置",
       "同表示位置",
       {"BOTTOM", "TOP"},
       {"BOTTOM", "TOP   "},
       0},
      {"フォントサイズ  ",
       "入力チャンネル",
       "表示サイズ",
       "同表示サイズ",
       {"LARGE", "MEDIUM", "SMALL"},
       {"LARGE ", "MEDIUM", "SMALL "},
       1},
      {"映像出力  ", "出力チャンネル", "映像出力", "同映像出力", kOffOn, kPaintedOffOn, 1},
  }};
  return kTraits[static_cast<size_t>(member)];
}

int PerChannelEditor::listed_channels() const {
  switch (side()) {
    case ChannelSide::input:
      return settings_.inputCount;
    case ChannelSide::output:
      return kOutputCount;
    case ChannelSide::video_output:
      break;
  }
  return kOutputCount - 1;
}

int PerChannelEditor::channel_of_item(int item) const {
  return side() == ChannelSide::video_output ? item + 1 : item;
}

int PerChannelEditor::page_of_item(int item) const {
  return side() == ChannelSide::input ? item / kChannelsPerPage : 0;
}

std::vector<std::string> PerChannelEditor::channel_items() const {
  std::vector<std::string> items;
  for (int item = 0; item < listed_channels(); ++item)
    items.push_back(channel_name(channel_of_item(item)));
  return items;
}

void PerChannelEditor::clamp_on_open() {
  if (side() != ChannelSide::input || selection_.current < settings_.inputCount) return;
  selection_.current = settings_.inputCount - 1;
  selection_.painted = selection_.current;
}

int PerChannelEditor::value_item_of_current() const {
  const int value = channel_array(member_).values(
      settings_)[static_cast<size_t>(channel_of_item(selection_.current))];
  const int items = static_cast<int>(traits().values.size());
  return value >= 0 && value < items ? value : -1;
}

bool PerChannelEditor::choose_channel(int item) {
  if (item < 0 || item >= listed_channels()) return false;
  selection_.current = item;
  const bool page_changed = page_of_item(item) != page_of_item(selection_.painted);
  selection_.painted = item;
  return page_changed;
}

void PerChannelEditor::store_value(int value) {
  channel_values(member_, settings_)[static_cast<size_t>(channel_of_item(selection_.current))] =
      value;
  settings_.settingsDirty = 1;
}

void PerChannelEditor::store_same_value(int value) {
  const std::span<int> values = channel_values(member_, settings_);
  const int first = side() == ChannelSide::video_output ? 1 : 0;
  const int count = carried_channels(channel_array(member_), settings_.inputCount);
  for (int channel = first; channel < count; ++channel)
    values[static_cast<size_t>(channel)] = value;
  settings_.settingsDirty = 1;
}

Command PerChannelEditor::per_channel_command() const {
  const ChannelArray& array = channel_array(member_);
  const int value =
      array.values(settings_)[static_cast<size_t>(channel_of_item(selection_.current))];
  // Video output's command takes the list index: output channel index + 2.
  return array.build_single(selection_.current, value);
}

Command PerChannelEditor::all_channel_command() const {
  const ChannelArray& array = channel_array(member_);
  const std::span<const int> values = array.values(settings_).first(
      static_cast<size_t>(carried_channels(array, settings_.inputCount)));
  return build_all_channels(member_, values);
}

std::string PerChannelEditor::painted_value(int value) const {
  return traits().painted[static_cast<size_t>(letter_index(channel_array(member_), value))];
}

PaintedTable PerChannelEditor::painted_table() const {
  PaintedTable table;
  const int page = page_of_item(selection_.current);
  const std::span<const int> values = channel_array(member_).values(settings_);
  for (int i = 0; i < kTableEntries; ++i) {
    const int channel = page * kTableEntries + i;
    table.push_back(table_entry(i, channel_name(channel) + " =",
                                painted_value(values[static_cast<size_t>(channel)])));
  }
  return table;
}

}  // namespace orv
