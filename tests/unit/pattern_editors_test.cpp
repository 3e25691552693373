#include <gtest/gtest.h>

#include "dialogs/screen_pattern.h"
#include "dialogs/switching_pattern.h"
#include "test_support.h"

namespace orv {
namespace {

class ScreenPatterns : public ::testing::Test, public test::SessionWithLinks {
 protected:
  ScreenPatternEditor editor{session.settings, session.outputChannel};
};

TEST_F(ScreenPatterns, SourceListsRunThroughTheInputsThenThePatterns) {
  const auto orvellan = source_names(32);
  ASSERT_EQ(orvellan.size(), 96u);
  EXPECT_EQ(orvellan[31], "IN32");
  EXPECT_EQ(orvellan[32], "SP01");
  const auto tarquine = source_names(64);
  EXPECT_EQ(tarquine[63], "IN64");
  EXPECT_EQ(tarquine[64], "SP01");
  EXPECT_EQ(layout_names().back(), "FREE");
}

TEST_F(ScreenPatterns, CommandsFollowTheLayoutInForce) {
  editor.choose_layout(kFreeLayout);
  EXPECT_EQ(session.settings.settingsDirty, 0) << "choosing a pattern is no change";
  EXPECT_FALSE(editor.all_patterns_offered());
  editor.choose_output(4);
  editor.store_entry(11);
  EXPECT_EQ(session.settings.settingsDirty, 1);
  EXPECT_EQ(editor.output_command().text, "O05I12\r\n");
  EXPECT_EQ(editor.layout_command().text.substr(0, 17), "OSI01I02I03I04I12");
  EXPECT_EQ(editor.switch_screens().text, "OPFR\r\n");

  editor.choose_layout(2);
  editor.store_entry(33);  // SP02 with 32 inputs
  EXPECT_EQ(editor.output_command().text, "OP0305S02\r\n");
  EXPECT_EQ(editor.painted_table()[4].value, "SP02");
  editor.store_same_entry(0);
  EXPECT_EQ(editor.layout_command().text, "OP03" + test::repeat("I01", 32) + "\r\n");
}

TEST_F(ScreenPatterns, SwitchingScreensCopiesThePatternIntoFree) {
  editor.choose_layout(6);
  editor.choose_output(0);
  editor.store_entry(40);
  EXPECT_EQ(editor.switch_screens().text, "OP07\r\n");
  EXPECT_EQ(session.settings.screenPatterns[kFreeLayout], session.settings.screenPatterns[6]);
  session.settings.screenPatterns[6][1] = 500;  // as a damaged file may hold
  EXPECT_EQ(editor.painted_table()[1].value, "----");
  EXPECT_EQ(editor.layout_command().refusal, Command::Refusal::command_error);
}

class SwitchingPatterns : public ::testing::Test, public test::SessionWithLinks {
 protected:
  int pattern = 0;
  SwitchingPatternEditor editor{session.settings, pattern, session.inputChannel};
};

TEST_F(SwitchingPatterns, OneTimeOrTheWholePatternOfTheModelsInputs) {
  editor.choose_pattern(2);
  editor.choose_input(4);
  editor.store_time(10);
  EXPECT_EQ(editor.input_command().text, "SP030510\r\n");
  editor.store_same_time(7);
  EXPECT_EQ(editor.pattern_command().text, "SP03" + test::repeat("07", 32) + "\r\n");
  EXPECT_EQ(session.settings.autoSwitchPatterns[2][40], 3) << "beyond the model's inputs";
  EXPECT_EQ(editor.painted_table()[4].value, "07 秒");
  session.settings.autoSwitchPatterns[2][4] = 120;  // as a damaged file may hold
  EXPECT_EQ(editor.time_item(), -1);
}

TEST_F(SwitchingPatterns, SecondPageWithSixtyFourInputsAndTheClampAfterAShrink) {
  use_tarquine();
  EXPECT_TRUE(editor.choose_input(39));
  EXPECT_EQ(editor.painted_table()[0].label, "ch.33 =");
  EXPECT_FALSE(editor.choose_input(33));
  apply_model(session.settings, kModelOrvellan);
  editor.clamp_on_open();
  EXPECT_EQ(editor.input(), 31);
}

}  // namespace
}  // namespace orv

#include "dialogs/date_time.h"

namespace orv {
namespace {

TEST(DateTime, FieldsFromTheComputersClockAndTheirCommands) {
  const auto items = clock_items_of(2024, 3, 5, 7, 8, 9);
  std::string sent;
  for (size_t f = 0; f < kClockFields.size(); ++f)
    sent += clock_command(kClockFields[f], items[f]).text;
  EXPECT_EQ(sent, "DSY24\r\nDSM03\r\nDSD05\r\nTSH07\r\nTSM08\r\nTSS09\r\n");
  EXPECT_EQ(clock_items(ClockField::year).back(), "2099");
  EXPECT_EQ(clock_items_of(2100, 1, 1, 0, 0, 0)[0], -1) << "no year outside the list";
  EXPECT_EQ(clock_command(ClockField::year, -1).refusal, Command::Refusal::command_error);
  EXPECT_EQ(clock_command(ClockField::month, -1).refusal, Command::Refusal::silent);
}

}  // namespace
}  // namespace orv
