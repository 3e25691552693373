#include "unit_settings/per_channel.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace orv {
namespace {

using M = PerChannelMember;

class PerChannel : public ::testing::Test, public test::SessionWithLinks {
 protected:
  PerChannelEditor editor(M member) {
    ChannelSelection& selection = channel_array(member).side == ChannelSide::input ? input
                                  : member == M::video_output                      ? video
                                                                                   : output;
    return PerChannelEditor(member, session.settings, selection);
  }
  ChannelSelection input, output, video;
};

// The dialogs' roads to a unit, the video output list from ch.02 and the
// clamp after the model shrinks are the end-to-end tests' (tests/e2e).
TEST_F(PerChannel, StoredValuesOutsideTheListAreRefusedOrSentByTheMembersRule) {
  session.settings.titleDisplayOutput[0] = 2;  // as a settings file may hold
  EXPECT_EQ(editor(M::title_display_output).value_item_of_current(), -1);
  EXPECT_EQ(editor(M::title_display_output).per_channel_command().refusal,
            Command::Refusal::command_error);
  session.settings.fontSize[0] = 7;
  EXPECT_EQ(editor(M::font_size).painted_table()[0].value, "SMALL ");
}

TEST_F(PerChannel, SameValueCoversTheModelsInputsOnly) {
  editor(M::title_display_input).store_same_value(0);
  EXPECT_EQ(editor(M::title_display_input).all_channel_command().text,
            "CTI" + std::string(32, 'F') + "\r\n");
  EXPECT_EQ(session.settings.titleDisplayInput[32], 1);  // beyond ORVELLAN's inputs
}

TEST_F(PerChannel, PagingByThirtyTwoOnlyForInputsOfTheWiderModel) {
  use_tarquine();
  PerChannelEditor titles = editor(M::title_display_input);
  EXPECT_TRUE(titles.choose_channel(32));   // ch.33: page 1
  EXPECT_FALSE(titles.choose_channel(39));  // ch.40: same page
  session.settings.titleDisplayInput[32] = 0;
  const PaintedTable table = titles.painted_table();
  ASSERT_EQ(table.size(), 32u);
  EXPECT_EQ(table[0].label, "ch.33 =");
  EXPECT_EQ(table[0].value, "OFF");
  EXPECT_EQ(table[31].label, "ch.64 =");
  EXPECT_TRUE(titles.choose_channel(0));
  EXPECT_FALSE(editor(M::title_display_output).choose_channel(31));
}

}  // namespace
}  // namespace orv
