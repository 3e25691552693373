#include "dialogs/per_channel.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

const std::vector<const char*> kOffOn = {"OFF", "ON"};

constexpr int kChannelsPerPage = 32;
constexpr int kRowsPerColumn = 8;

// Channels the same-value list and the all-channel command cover.
int side_channels(PerChannelMember member, int inputCount) {
  return member_traits(member).side == ChannelSide::input ? inputCount : kOutputCount;
}

int page_of_item(PerChannelMember member, int item) {
  return member_traits(member).side == ChannelSide::input ? item / kChannelsPerPage : 0;
}

}  // namespace

const MemberTraits& member_traits(PerChannelMember member) {
  static const MemberTraits kDateTimeIn{"日付・時刻表示（入力側）  ",
                                        "入力チャンネル",
                                        "表示",
                                        "同表示",
                                        kOffOn,
                                        1,
                                        ChannelSide::input};
  static const MemberTraits kDateTimeOut{
      "日付・時刻表示（出力側）  ", "出力チャンネル", "表示", "同表示", kOffOn, 1,
      ChannelSide::output};
  static const MemberTraits kTitleIn{
      "タイトル表示 （入力側） ", "入力チャンネル", "表示", "同表示", kOffOn, 1,
      ChannelSide::input};
  static const MemberTraits kTitleOut{
      "タイトル表示 (出力側) ", "出力チャンネル", "表示", "同表示", kOffOn, 1, ChannelSide::output};
  static const MemberTraits kPosition{"タイトル位置  ",  "入力チャンネル",  "表示位置",
                                      "同表示位置",      {"BOTTOM", "TOP"}, 0,
                                      ChannelSide::input};
  static const MemberTraits kFontSize{"フォントサイズ  ",
                                      "入力チャンネル",
                                      "表示サイズ",
                                      "同表示サイズ",
                                      {"LARGE", "MEDIUM", "SMALL"},
                                      1,
                                      ChannelSide::input};
  static const MemberTraits kVideo{"映像出力  ",
                                   "出力チャンネル",
                                   "映像出力",
                                   "同映像出力",
                                   kOffOn,
                                   1,
                                   ChannelSide::video_output};
  switch (member) {
    case PerChannelMember::date_time_display_input:
      return kDateTimeIn;
    case PerChannelMember::date_time_display_output:
      return kDateTimeOut;
    case PerChannelMember::title_display_input:
      return kTitleIn;
    case PerChannelMember::title_display_output:
      return kTitleOut;
    case PerChannelMember::title_position:
      return kPosition;
    case PerChannelMember::font_size:
      return kFontSize;
    case PerChannelMember::video_output:
      break;
  }
  return kVideo;
}

std::span<int> member_values(DeviceSettings& s, PerChannelMember member) {
  switch (member) {
    case PerChannelMember::date_time_display_input:
      return s.dateTimeDisplayInput;
    case PerChannelMember::date_time_display_output:
      return s.dateTimeDisplayOutput;
    case PerChannelMember::title_display_input:
      return s.titleDisplayInput;
    case PerChannelMember::title_display_output:
      return s.titleDisplayOutput;
    case PerChannelMember::title_position:
      return s.titlePosition;
    case PerChannelMember::font_size:
      return s.fontSize;
    case PerChannelMember::video_output:
      break;
  }
  return s.videoOutput;
}

int listed_channels(PerChannelMember member, int inputCount) {
  switch (member_traits(member).side) {
    case ChannelSide::input:
      return inputCount;
    case ChannelSide::output:
      return kOutputCount;
    case ChannelSide::video_output:
      break;
  }
  return kOutputCount - 1;
}

int channel_of_item(PerChannelMember member, int item) {
  return member_traits(member).side == ChannelSide::video_output ? item + 1 : item;
}

std::vector<std::string> channel_items(PerChannelMember member, int inputCount) {
  std::vector<std::string> items;
  for (int item = 0; item < listed_channels(member, inputCount); ++item)
    items.push_back("ch." + decimal_text(channel_of_item(member, item) + 1, 2));
  return items;
}

ChannelSelection& selection_for(AppState& state, PerChannelMember member) {
  switch (member_traits(member).side) {
    case ChannelSide::input:
      return state.inputChannel;
    case ChannelSide::output:
      return state.outputChannel;
    case ChannelSide::video_output:
      break;
  }
  return state.videoOutputChannel;
}

void clamp_on_open(AppState& state, PerChannelMember member) {
  if (member_traits(member).side != ChannelSide::input) return;
  ChannelSelection& selection = state.inputChannel;
  if (selection.current >= state.settings.inputCount) {
    selection.current = state.settings.inputCount - 1;
    selection.painted = selection.current;
  }
}

int value_item_of_current(AppState& state, PerChannelMember member) {
  const int channel = channel_of_item(member, selection_for(state, member).current);
  const int value = member_values(state.settings, member)[static_cast<size_t>(channel)];
  const int items = static_cast<int>(member_traits(member).values.size());
  return value >= 0 && value < items ? value : -1;
}

bool choose_channel(AppState& state, PerChannelMember member, int item) {
  if (item < 0 || item >= listed_channels(member, state.settings.inputCount)) return false;
  ChannelSelection& selection = selection_for(state, member);
  selection.current = item;
  const bool page_changed = page_of_item(member, item) != page_of_item(member, selection.painted);
  selection.painted = item;
  return page_changed;
}

void store_value(AppState& state, PerChannelMember member, int value) {
  const int channel = channel_of_item(member, selection_for(state, member).current);
  member_values(state.settings, member)[static_cast<size_t>(channel)] = value;
  state.settings.settingsDirty = 1;
}

void store_same_value(AppState& state, PerChannelMember member, int value) {
  std::span<int> values = member_values(state.settings, member);
  const int first = member_traits(member).side == ChannelSide::video_output ? 1 : 0;
  const int count = side_channels(member, state.settings.inputCount);
  for (int channel = first; channel < count; ++channel)
    values[static_cast<size_t>(channel)] = value;
  state.settings.settingsDirty = 1;
}

Command per_channel_command(AppState& state, PerChannelMember member) {
  const int item = selection_for(state, member).current;
  const int channel = channel_of_item(member, item);
  const int value = member_values(state.settings, member)[static_cast<size_t>(channel)];
  switch (member) {
    case PerChannelMember::date_time_display_input:
      return build_date_time_display_input(channel, value);
    case PerChannelMember::date_time_display_output:
      return build_date_time_display_output(channel, value);
    case PerChannelMember::title_display_input:
      return build_title_display_input(channel, value);
    case PerChannelMember::title_display_output:
      return build_title_display_output(channel, value);
    case PerChannelMember::title_position:
      return build_title_position(channel, value);
    case PerChannelMember::font_size:
      return build_font_size(channel, value);
    case PerChannelMember::video_output:
      break;
  }
  return build_video_output(item, value);
}

Command all_channel_command(AppState& state, PerChannelMember member) {
  const std::span<const int> values =
      member_values(state.settings, member)
          .first(static_cast<size_t>(side_channels(member, state.settings.inputCount)));
  switch (member) {
    case PerChannelMember::date_time_display_input:
      return build_all_date_time_display_input(values);
    case PerChannelMember::date_time_display_output:
      return build_all_date_time_display_output(values);
    case PerChannelMember::title_display_input:
      return build_all_title_display_input(values);
    case PerChannelMember::title_display_output:
      return build_all_title_display_output(values);
    case PerChannelMember::title_position:
      return build_all_title_position(values);
    case PerChannelMember::font_size:
      return build_all_font_size(values);
    case PerChannelMember::video_output:
      break;
  }
  return build_all_video_output(values);
}

std::string painted_value(PerChannelMember member, int value) {
  switch (member) {
    case PerChannelMember::title_position:
      return value == 0 ? "BOTTOM" : "TOP   ";
    case PerChannelMember::font_size:
      return value == 0 ? "LARGE " : value == 1 ? "MEDIUM" : "SMALL ";
    case PerChannelMember::video_output:
      return value == 0 ? "OFF" : "ON ";
    default:
      return value == 1 ? "ON " : "OFF";
  }
}

PaintedTable painted_table(AppState& state, PerChannelMember member) {
  PaintedTable table;
  const int page = page_of_item(member, selection_for(state, member).current);
  const std::span<int> values = member_values(state.settings, member);
  for (int i = 0; i < kChannelsPerPage; ++i) {
    const int channel = page * kChannelsPerPage + i;
    const int column = i / kRowsPerColumn;
    const int row = i % kRowsPerColumn;
    table.entries.push_back(
        PaintedEntry{35 + 175 * column, 95 + 175 * column, 40 + 25 * row,
                     "ch." + decimal_text(channel + 1, 2) + " =",
                     painted_value(member, values[static_cast<size_t>(channel)])});
  }
  table.fixed_mark = member == PerChannelMember::video_output;
  return table;
}

}  // namespace orv
