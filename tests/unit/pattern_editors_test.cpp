#include <gtest/gtest.h>

#include "test_support.h"
#include "unit_settings/date_time.h"
#include "unit_settings/per_channel.h"
#include "unit_settings/screen_pattern.h"
#include "unit_settings/switching_pattern.h"

namespace orv {
namespace {

class ScreenPatterns : public ::testing::Test, public test::SessionWithLinks {
 protected:
  ScreenPatternEditor editor{session.document.settings, session.selections.outputChannel};
};

// The dialogs' roads to a unit are the end-to-end tests' (tests/e2e); here:
// what they change in the settings, and values only a damaged file holds.
TEST_F(ScreenPatterns, CommandsFollowTheLayoutInForce) {
  editor.choose_layout(kFreeLayout);
  EXPECT_EQ(session.document.settings.settingsDirty, 0) << "choosing a pattern is no change";
  EXPECT_FALSE(editor.all_patterns_offered());
  editor.choose_output(4);
  editor.store_entry(11);
  EXPECT_EQ(session.document.settings.settingsDirty, 1);
  editor.choose_layout(2);
  editor.store_entry(33);  // SP02 with 32 inputs
  EXPECT_EQ(editor.output_command().text, "OP0305S02\r\n");
  editor.store_same_entry(0);
  EXPECT_EQ(session.document.settings.screenPatterns[2], LayoutRow{}) << "every output";
}

TEST_F(ScreenPatterns, SwitchingScreensCopiesThePatternIntoFree) {
  editor.choose_layout(6);
  editor.choose_output(0);
  editor.store_entry(40);
  session.document.settings.settingsDirty = 0;
  EXPECT_EQ(editor.switch_screens().text, "OP07\r\n");
  EXPECT_EQ(session.document.settings.screenPatterns[kFreeLayout],
            session.document.settings.screenPatterns[6]);
  EXPECT_EQ(session.document.settings.settingsDirty, 1) << "FREE is saved with the settings";
  session.document.settings.screenPatterns[6][1] = 500;  // as a damaged file may hold
  EXPECT_EQ(editor.painted_table()[1].value, "----");
  EXPECT_EQ(editor.layout_command().refusal, Command::Refusal::command_error);
}

TEST_F(ScreenPatterns, APatternInForceOutsideTheListIsOp01OnOpening) {
  for (int damaged : {-3, kLayoutCount, 90}) {
    session.document.settings.currentScreenPattern = damaged;
    editor.clamp_on_open();
    EXPECT_EQ(editor.layout(), 0) << damaged;
  }
  session.document.settings.currentScreenPattern = kFreeLayout;
  editor.clamp_on_open();
  EXPECT_EQ(editor.layout(), kFreeLayout);
}

class SwitchingPatterns : public ::testing::Test, public test::SessionWithLinks {
 protected:
  int pattern = 0;
  SwitchingPatternEditor editor{session.document.settings, pattern,
                                session.selections.inputChannel};
};

TEST_F(SwitchingPatterns, OneTimeOrTheWholePatternOfTheModelsInputs) {
  editor.choose_pattern(2);
  editor.choose_input(4);
  editor.store_time(10);
  editor.store_same_time(7);
  EXPECT_EQ(session.document.settings.autoSwitchPatterns[2][40], 3) << "beyond the model's inputs";
  EXPECT_EQ(editor.painted_table()[4].value, "07 秒");
  session.document.settings.autoSwitchPatterns[2][4] = 120;  // as a damaged file may hold
  EXPECT_EQ(editor.time_item(), -1);
}

TEST_F(SwitchingPatterns, SecondPageWithSixtyFourInputsAndTheClampAfterAShrink) {
  use_tarquine();
  EXPECT_TRUE(editor.choose_input(39));
  EXPECT_EQ(editor.painted_table()[0].label, "ch.33 =");
  EXPECT_FALSE(editor.choose_input(33));
  apply_model(session.document.settings, kModelOrvellan);
  editor.clamp_on_open();
  EXPECT_EQ(editor.input(), 31);
}

TEST(DateTime, FieldsFromTheComputersClockAndTheirCommands) {
  const auto items = clock_items_of(2024, 3, 5, 7, 8, 9);
  EXPECT_EQ(clock_command(kClockFields[0], items[0]).text, "DSY24\r\n");
  EXPECT_EQ(clock_command(kClockFields[5], items[5]).text, "TSS09\r\n");
  EXPECT_EQ(clock_items_of(2100, 1, 1, 0, 0, 0)[0], -1) << "no year outside the list";
}

using M = PerChannelMember;

class PerChannel : public ::testing::Test, public test::SessionWithLinks {
 protected:
  PerChannelEditor editor(M member) {
    ChannelSelection& selection = channel_array(member).side == ChannelSide::input ? input
                                  : member == M::video_output                      ? video
                                                                                   : output;
    return PerChannelEditor(member, session.document.settings, selection);
  }
  ChannelSelection input, output, video;
};

// The dialogs' roads to a unit, the video output list from ch.02 and the
// clamp after the model shrinks are the end-to-end tests' (tests/e2e).
TEST_F(PerChannel, StoredValuesOutsideTheListAreShownByTheMembersRule) {
  session.document.settings.titleDisplayOutput[0] = 2;  // as a settings file may hold
  EXPECT_EQ(editor(M::title_display_output).value_item_of_current(), -1);
  session.document.settings.fontSize[0] = 7;
  EXPECT_EQ(editor(M::font_size).painted_table()[0].value, "SMALL ");
}

TEST_F(PerChannel, SameValueCoversTheModelsInputsOnly) {
  editor(M::title_display_input).store_same_value(0);
  EXPECT_EQ(session.document.settings.titleDisplayInput[31], 0);
  EXPECT_EQ(session.document.settings.titleDisplayInput[32], 1);  // beyond ORVELLAN's inputs
}

}  // namespace
}  // namespace orv
