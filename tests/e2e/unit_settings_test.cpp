// The password, the title offsets, the date and time, and the input/output
// status window, against the simulated units.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <set>

#include "fixture.h"
#include "resource.h"
#include "win/dialogs/unit_settings_dialogs_res.h"
#include "win/status/status_window_res.h"

namespace e2e {
namespace {

using UnitSettings = ProgramTest;

TEST_F(UnitSettings, PasswordAndItsUseOnButtonsAndMenus) {
  App app;
  HWND dialog = open_dialog(app, IDM_PASSWORD, L"パスワード");
  EXPECT_EQ(control_text(dialog, IDE_PASSWORD), L"482915");
  SetDlgItemTextW(dialog, IDE_PASSWORD, L"12345");
  EXPECT_FALSE(is_enabled(dialog, IDB_SET_PASSWORD)) << "five digits are never sent";
  click(dialog, IDB_SET_PASSWORD);  // a press that reaches the dialog anyway
  EXPECT_EQ(next_box(app).text, L"Command Error");
  SetDlgItemTextW(dialog, IDE_PASSWORD, L"123456");
  ASSERT_TRUE(is_enabled(dialog, IDB_SET_PASSWORD));
  expect_success(app, dialog, IDB_SET_PASSWORD);
  choose(dialog, IDC_PASSWORD_ON_BUTTON, 1);
  expect_success(app, dialog, IDB_SET_PASSWORD_ON_BUTTON);
  choose(dialog, IDC_PASSWORD_ON_MENU, 1);
  expect_success(app, dialog, IDB_SET_PASSWORD_ON_MENU);
  EXPECT_EQ(sim("COM1").received(),
            (std::vector<std::string>{"PN123456\\r\\n", "POON\\r\\n", "PMON\\r\\n"}));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000)) << "Escape closes it";

  HWND offsets = open_dialog(app, IDM_TITLE_ADJUSTMENT, L"タイトル位置微調整");
  EXPECT_EQ(selection(offsets, IDC_OFFSET_TOP), 7) << "08";
  choose(offsets, IDC_OFFSET_BOTTOM, 15);
  expect_success(app, offsets, IDB_SET_OFFSET_BOTTOM);
  EXPECT_EQ(sim("COM1").value("get 00 RCTAB"), "CTAB16");
}

// How far the unit's clock ("2031-07-09 13:14:15") is from the computer's, in seconds.
double seconds_from_the_computer(const std::string& clock) {
  SYSTEMTIME unit{}, now{};
  if (std::sscanf(clock.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &unit.wYear, &unit.wMonth, &unit.wDay,
                  &unit.wHour, &unit.wMinute, &unit.wSecond) != 6)
    return 1e9;
  GetLocalTime(&now);
  FILETIME a{}, b{};
  SystemTimeToFileTime(&unit, &a);
  SystemTimeToFileTime(&now, &b);
  const auto ticks = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                               f.dwLowDateTime);
  };
  return (ticks(a) - ticks(b)) / 1e7;
}

TEST_F(UnitSettings, TheUnitsClockIsSetFieldByField) {
  App app;
  HWND dialog = open_dialog(app, IDM_DATE_TIME, L"日付・時刻");
  save_screenshot(dialog, "date-time");
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_EQ(selection(dialog, IDC_YEAR_LIST), now.wYear - 2000) << "preset from the clock";
  // The seconds first: the unit's clock runs meanwhile, and a minute that
  // rolls over between two fields would change the one set before.
  const std::pair<int, int> fields[] = {{IDC_SECOND_LIST, 15}, {IDC_YEAR_LIST, 31},
                                        {IDC_MONTH_LIST, 6},   {IDC_DAY_LIST, 8},
                                        {IDC_HOUR_LIST, 13},   {IDC_MINUTE_LIST, 14}};
  for (const auto& [list, item] : fields) {
    choose(dialog, list, item);
    expect_success(app, dialog, list + 1);
  }
  EXPECT_EQ(sim("COM1").value("get 00 clock").substr(0, 17), "2031-07-09 13:14:");
  choose(dialog, IDC_RANGE_LIST, 7);
  expect_success(app, dialog, IDB_SET_RANGE);
  EXPECT_EQ(sim("COM1").received().back(), "TSDR8\\r\\n");

  // The computer's time in one run: the unit ends within a second of it.
  click(dialog, IDB_SEND_PC_TIME);
  EXPECT_TRUE(wait_until([&] { return !is_enabled(dialog, IDB_CLOSE); }, 3000)) << "locked";
  EXPECT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_CLOSE); }, 10000));
  const std::string clock = sim("COM1").value("get 00 clock");
  EXPECT_LE(std::abs(seconds_from_the_computer(clock)), 1.0) << clock;
  const auto lines = sim("COM1").received();
  ASSERT_GE(lines.size(), 7u + 8u) << "a pass of eight after the seven above";
  EXPECT_EQ(lines[7], "TSS00\\r\\n");
  EXPECT_EQ(lines[8], "DSD01\\r\\n");
  EXPECT_TRUE(no_box_within(app, 300)) << "a clock in sync is said in the status line";

  choose(dialog, IDC_YEAR_LIST, -1);  // as at a computer clock outside 2000..2099
  click(dialog, IDB_SET_YEAR);
  EXPECT_EQ(next_box(app).text, L"Command Error");
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(wait_until([&] { return !IsWindow(dialog); }, 500)) << "Enter and Escape do nothing";
}

// The painted cell of an output's row and an input's column.
bool cell_is_shown(HWND window, int output, int input) {
  return client_pixel(window, 35 + 14 * input + 7, 35 + 12 * output + 6) == RGB(255, 255, 0);
}

TEST_F(UnitSettings, TheStatusWindowFollowsTheOutputsAndClosesOnSilence) {
  App app;
  HWND window = open_dialog(app, IDM_STATUS, L"入出力の状態");
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 550);
  sim("COM1").command("output 00 3 I05");
  sim("COM1").command("output 00 7 I12");
  sim("COM1").command("output 00 9 S02");
  EXPECT_TRUE(
      wait_until([&] { return cell_is_shown(window, 2, 4) && cell_is_shown(window, 6, 11); }, 2000))
      << "outputs 3 and 7 painted within two seconds";
  save_screenshot(window, "status");
  std::set<int> cycled;
  wait_until(
      [&] {
        for (int input = 0; input < 32; ++input)
          if (cell_is_shown(window, 8, input)) cycled.insert(input);
        return cycled.size() >= 2;
      },
      8000);
  EXPECT_GE(cycled.size(), 2u) << "output 9 runs switching pattern 02, three seconds an input";
  const std::vector<std::string> polls = sim("COM1").received();
  ASSERT_GE(polls.size(), 2u);
  EXPECT_EQ(polls[0], "ROCD\\r\\n");
  EXPECT_EQ(polls[1], "ROS\\r\\n");

  sim("COM1").command("fault silence all");
  EXPECT_EQ(next_box(app, 5000).text, L"No Connect");
  EXPECT_TRUE(wait_until([&] { return !IsWindow(window); }, 3000)) << "the window closes";
}

}  // namespace
}  // namespace e2e
