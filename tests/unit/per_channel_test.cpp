#include "dialogs/per_channel.h"

#include <gtest/gtest.h>

#include "link/dispatch.h"
#include "test_support.h"

namespace orv {
namespace {

using M = PerChannelMember;

class PerChannel : public ::testing::Test {
 protected:
  void use_tarquine() {
    Configuration c;
    c.select_model = 1;
    apply_configuration(state, c);
  }
  std::string sent(M member) { return per_channel_command(state, member).text; }
  AppState state;
};

TEST_F(PerChannel, ChannelListsBySideAndModel) {
  EXPECT_EQ(channel_items(M::title_display_input, 32).size(), 32u);
  EXPECT_EQ(channel_items(M::title_display_input, 64).back(), "ch.64");
  EXPECT_EQ(channel_items(M::title_display_output, 64).size(), 32u);
  const auto video = channel_items(M::video_output, 64);
  EXPECT_EQ(video.size(), 31u);
  EXPECT_EQ(video.front(), "ch.02");
  EXPECT_EQ(video.back(), "ch.32");
}

TEST_F(PerChannel, SendsTheCurrentChannelsStoredValue) {
  choose_channel(state, M::title_display_input, 11);
  store_value(state, M::title_display_input, 1);
  EXPECT_EQ(sent(M::title_display_input), "CTI12ON\r\n");
  choose_channel(state, M::font_size, 4);
  store_value(state, M::font_size, 2);
  EXPECT_EQ(sent(M::font_size), "CTSI05S\r\n");
  choose_channel(state, M::video_output, 0);
  store_value(state, M::video_output, 0);
  EXPECT_EQ(sent(M::video_output), "OE02OF\r\n");
  EXPECT_EQ(state.settings.videoOutput[1], 0);
  EXPECT_EQ(state.settings.videoOutput[0], 1);
}

TEST_F(PerChannel, DisplayMembersRefuseAStoredValueOutsideOffAndOn) {
  state.settings.titleDisplayOutput[0] = 2;  // as a settings file may hold
  EXPECT_EQ(value_item_of_current(state, M::title_display_output), -1);
  const Command command = per_channel_command(state, M::title_display_output);
  EXPECT_EQ(command.refusal, Command::Refusal::command_error);
  test::RecordingTransport port;
  EXPECT_FALSE(send_command(state, port, command));
  EXPECT_EQ(state.reply.result_code, kResultCommandError);
  EXPECT_TRUE(port.serial.empty());
  // The other members send a letter for any stored value.
  state.settings.fontSize[0] = 7;
  EXPECT_EQ(sent(M::font_size), "CTSI01L\r\n");
  EXPECT_EQ(painted_value(M::font_size, 7), "SMALL ");
}

TEST_F(PerChannel, AllChannelCommandsFollowTheModel) {
  state.settings.titleDisplayInput[1] = 0;
  EXPECT_EQ(all_channel_command(state, M::title_display_input).text,
            "CTINF" + std::string(30, 'N') + "\r\n");
  use_tarquine();
  EXPECT_EQ(all_channel_command(state, M::title_position).text,
            "CTPI" + std::string(64, 'B') + "\r\n");
  EXPECT_EQ(all_channel_command(state, M::date_time_display_output).text.size(), 37u);
  EXPECT_EQ(all_channel_command(state, M::video_output).text.size(), 36u);
}

TEST_F(PerChannel, SameValueCoversTheSideAndKeepsVideoChannelOne) {
  store_same_value(state, M::title_display_input, 0);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(state.settings.titleDisplayInput[i], 0);
  EXPECT_EQ(state.settings.titleDisplayInput[32], 1);  // beyond ORVELLAN's inputs
  EXPECT_EQ(state.settings.settingsDirty, 1);
  store_same_value(state, M::video_output, 0);
  EXPECT_EQ(state.settings.videoOutput[0], 1);
  EXPECT_EQ(state.settings.videoOutput[31], 0);
  EXPECT_EQ(all_channel_command(state, M::video_output).text,
            "OEN" + std::string(31, 'F') + "\r\n");
}

TEST_F(PerChannel, PagingByThirtyTwoOnlyForInputsOfTheWiderModel) {
  use_tarquine();
  EXPECT_TRUE(choose_channel(state, M::title_display_input, 32));   // ch.33: page 1
  EXPECT_FALSE(choose_channel(state, M::title_display_input, 39));  // ch.40: same page
  state.settings.titleDisplayInput[32] = 0;
  const PaintedTable table = painted_table(state, M::title_display_input);
  ASSERT_EQ(table.entries.size(), 32u);
  EXPECT_EQ(table.entries[0].label, "ch.33 =");
  EXPECT_EQ(table.entries[0].value, "OFF");
  EXPECT_EQ(table.entries[31].label, "ch.64 =");
  EXPECT_TRUE(choose_channel(state, M::title_display_input, 0));
  EXPECT_FALSE(choose_channel(state, M::font_size, 31));
}

TEST_F(PerChannel, TableRunsDownTheColumns) {
  const PaintedTable table = painted_table(state, M::title_position);
  EXPECT_EQ(table.entries[0].label_x, 35);
  EXPECT_EQ(table.entries[0].value_x, 95);
  EXPECT_EQ(table.entries[0].y, 40);
  EXPECT_EQ(table.entries[7].y, 40 + 25 * 7);
  EXPECT_EQ(table.entries[8].label, "ch.09 =");
  EXPECT_EQ(table.entries[8].label_x, 35 + 175);
  EXPECT_EQ(table.entries[31].value_x, 95 + 175 * 3);
  EXPECT_EQ(table.entries[0].value, "BOTTOM");
  EXPECT_FALSE(table.fixed_mark);
  EXPECT_TRUE(painted_table(state, M::video_output).fixed_mark);
  EXPECT_EQ(painted_table(state, M::video_output).entries[0].label, "ch.01 =");
}

TEST_F(PerChannel, InputSideClampsAfterTheModelShrinks) {
  use_tarquine();
  choose_channel(state, M::title_display_input, 49);  // ch.50
  apply_model(state.settings, kModelOrvellan);
  clamp_on_open(state, M::title_position);
  EXPECT_EQ(state.inputChannel.current, 31);
  EXPECT_EQ(state.inputChannel.painted, 31);
  state.outputChannel.current = 31;
  clamp_on_open(state, M::title_display_output);
  EXPECT_EQ(state.outputChannel.current, 31);
}

TEST_F(PerChannel, SidesShareTheirChannelChoices) {
  choose_channel(state, M::title_display_input, 7);
  EXPECT_EQ(selection_for(state, M::font_size).current, 7);
  choose_channel(state, M::date_time_display_output, 3);
  EXPECT_EQ(selection_for(state, M::title_display_output).current, 3);
  EXPECT_EQ(selection_for(state, M::video_output).current, 0);
}

}  // namespace
}  // namespace orv
