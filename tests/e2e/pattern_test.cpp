// "画面表示パターン" and "自動切換えパターン" against the simulated units: what
// each output shows, sending one output, one pattern or all 64, switching
// the unit's screens, and the unit cycling through a switching pattern.
#include <chrono>
#include <set>

#include "fixture.h"
#include "protocol/commands.h"
#include "resource.h"
#include "win/dialogs/screen_pattern_dialog_res.h"
#include "win/dialogs/switching_pattern_dialog_res.h"

namespace e2e {
namespace {

using Patterns = ProgramTest;

HWND open_screen_patterns(const App& app) {
  return ProgramTest::open_dialog(app, IDM_SCREEN_PATTERN, L"画面表示パターン");
}
HWND open_switching_patterns(const App& app) {
  return ProgramTest::open_dialog(app, IDM_SWITCHING_PATTERN, L"自動切換えパターン");
}

// Output n (1-based) of a "ROCD" answer: the input it shows.
std::string shown_input(const std::string& rocd, int output) {
  return rocd.substr(3 + 2 * static_cast<size_t>(output - 1), 2);
}

TEST_F(Patterns, PatternSevenIsSentTheScreensSwitchToItAndTheFreeLayoutHasItsOwnCommands) {
  App app;
  HWND dialog = open_screen_patterns(app);
  EXPECT_FALSE(is_enabled(dialog, IDC_SLAVE_LIST));
  choose(dialog, IDC_PATTERN_LIST, 6);  // OP07
  choose(dialog, IDC_OUTPUT_LIST, 4);   // ch.05 …
  choose(dialog, IDC_SOURCE_LIST, 11);  // … IN12
  choose(dialog, IDC_OUTPUT_LIST, 5);   // ch.06 …
  choose(dialog, IDC_SOURCE_LIST, 34);  // … SP03
  EXPECT_TRUE(ink_shows(dialog, RECT{95, 165, 160, 181}, 10))
      << "ch.06's entry is painted in the table";
  save_screenshot(dialog, "screen-pattern");
  expect_success(app, dialog, IDB_SET_PATTERN);
  expect_success(app, dialog, IDB_SWITCH_SCREENS);

  const std::string op07 = sim("COM1").value("get 00 ROP07");
  EXPECT_EQ(op07.substr(0, 22), "OP07I01I02I03I04I12S03");
  EXPECT_EQ(sim("COM1").value("get 00 ROP"), "OP07");
  EXPECT_EQ(shown_input(sim("COM1").value("get 00 ROCD"), 5), "12");
  EXPECT_EQ(sim("COM1").value("get 00 ROS").substr(2 + 3 * 5, 3), "S03") << "output 6";

  // The free layout has commands of its own and no "send all".
  sim("COM1").command("log clear");
  choose(dialog, IDC_PATTERN_LIST, 64);  // FREE
  EXPECT_FALSE(is_enabled(dialog, IDB_SET_ALL_PATTERNS));
  choose(dialog, IDC_OUTPUT_LIST, 2);
  choose(dialog, IDC_SOURCE_LIST, 8);  // IN09
  expect_success(app, dialog, IDB_SET_CHANNEL);
  choose(dialog, IDC_SAME_SOURCE_LIST, 36);  // SP05 everywhere
  EXPECT_EQ(selection(dialog, IDC_SOURCE_LIST), 36);
  expect_success(app, dialog, IDB_SET_PATTERN);
  std::string all_sp05 = "OS";
  for (int i = 0; i < 32; ++i) all_sp05 += "S05";
  EXPECT_EQ(sim("COM1").received(),
            (std::vector<std::string>{"O03I09\\r\\n", all_sp05 + "\\r\\n"}));
}

TEST_F(Patterns, AnOutputOnASwitchingPatternCyclesThroughItsInputs) {
  App app;
  HWND dialog = open_switching_patterns(app);
  choose(dialog, IDC_PATTERN_LIST, 1);    // SP02
  choose(dialog, IDC_SAME_TIME_LIST, 0);  // every input left out …
  choose(dialog, IDC_INPUT_LIST, 2);      // … but ch.03 …
  choose(dialog, IDC_TIME_LIST, 1);       // … for a second
  EXPECT_TRUE(ink_shows(dialog, RECT{95, 90, 160, 106}, 10)) << "ch.03's time is painted";
  save_screenshot(dialog, "switching-pattern");
  choose(dialog, IDC_INPUT_LIST, 4);  // and ch.05 for a second
  choose(dialog, IDC_TIME_LIST, 1);
  expect_success(app, dialog, IDB_SET_PATTERN);
  EXPECT_EQ(sim("COM1").value("get 00 RSP02"), "SP02000001000100" + std::string(52, '0'));
  choose(dialog, IDC_INPUT_LIST, 5);
  choose(dialog, IDC_TIME_LIST, 2);
  expect_success(app, dialog, IDB_SET_CHANNEL);
  EXPECT_EQ(sim("COM1").received().back(), "SP020602\\r\\n");
  ASSERT_TRUE(close_dialog(dialog));

  dialog = open_screen_patterns(app);
  choose(dialog, IDC_PATTERN_LIST, 0);
  choose(dialog, IDC_OUTPUT_LIST, 8);   // ch.09 …
  choose(dialog, IDC_SOURCE_LIST, 33);  // … SP02
  expect_success(app, dialog, IDB_SET_PATTERN);
  expect_success(app, dialog, IDB_SWITCH_SCREENS);
  std::set<std::string> seen;
  wait_until(
      [&] {
        seen.insert(shown_input(sim("COM1").value("get 00 ROCD"), 9));
        return seen.size() >= 3;
      },
      8000);
  EXPECT_EQ(seen, (std::set<std::string>{"03", "05", "06"})) << "inputs with a dwell time only";
}

// Every one of the 64 patterns in the unit equals the program's.
void expect_unit_holds(const orv::DeviceSettings& s, const std::string& read, bool screen) {
  for (int p = 0; p < orv::kPatternCount; ++p) {
    const std::string number = (p < 9 ? "0" : "") + std::to_string(p + 1);
    const orv::Command sent =
        screen ? orv::build_pattern(p, s.screenPatterns[p], s.inputCount)
               : orv::build_switching_pattern(p, s.autoSwitchPatterns[p], s.inputCount);
    ASSERT_EQ(sim("COM1").value("get 00 " + read + number) + "\r\n", sent.text) << read << number;
  }
}

using FullRun = ProgramTest;

TEST_F(FullRun, AllScreenPatternsAndAllSwitchingPatterns) {
  const std::wstring file = temp_folder(L"orv-e2e-patterns") + L"\\patterns.dat";
  const orv::DeviceSettings settings = random_settings(orv::kModelOrvellan, 64);
  ASSERT_TRUE(write_settings(file, settings));
  App app;
  post_command(app.main_window(), IDM_FILE_OPEN);
  ASSERT_TRUE(choose_file(app.pid(), L"ファイルを開く", file));

  for (const int command : {IDM_SCREEN_PATTERN, IDM_SWITCHING_PATTERN}) {
    HWND dialog =
        command == IDM_SCREEN_PATTERN ? open_screen_patterns(app) : open_switching_patterns(app);
    if (command == IDM_SCREEN_PATTERN) choose(dialog, IDC_PATTERN_LIST, 0);
    const auto started = std::chrono::steady_clock::now();
    click(dialog, IDB_SET_ALL_PATTERNS);
    const MessageBoxSeen box = next_box(app, 60000);
    const auto ms = ms_since(started);
    RecordProperty(command == IDM_SCREEN_PATTERN ? "screen_patterns_ms" : "switching_patterns_ms",
                   std::to_string(ms));
    EXPECT_EQ(box.text, L"Success");
    EXPECT_EQ(box.caption, L"接続成功");
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays";
    EXPECT_TRUE(wait_until([&] { return control_text(dialog, IDE_PERCENT).empty(); }, 3000));
    ASSERT_TRUE(close_dialog(dialog));
  }
  expect_unit_holds(settings, "ROP", true);
  expect_unit_holds(settings, "RSP", false);
}

}  // namespace
}  // namespace e2e
