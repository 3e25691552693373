// The per-channel setting dialogs and the slave address dialog, used as an
// operator uses them, against the simulated units.
#include "fixture.h"
#include "resource.h"
#include "win/dialogs/per_channel_dialog_res.h"

namespace e2e {
namespace {

using PerChannel = ProgramTest;

// A three-valued input-side member opened from its panel button. Every
// member's labels, letters and commands are the core's, tested there.
TEST_F(PerChannel, SendsOneChannelThenAllChannelsAndTheUnitFollows) {
  App app;
  PostMessageW(GetDlgItem(app.main_window(), 19), BM_CLICK, 0, 0);
  HWND dialog = wait_window(app.pid(), L"フォントサイズ  ", 5000, L"#32770");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(control_text(dialog, IDC_CHANNEL_GROUP), L"入力チャンネル");

  choose(dialog, IDC_CHANNEL_LIST, 4);
  choose(dialog, IDC_VALUE_LIST, 2);
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(app).caption, L"接続成功");
  EXPECT_EQ(sim("COM1").received(), std::vector<std::string>{"CTSI05S\\r\\n"});

  sim("COM1").command("log clear");
  choose(dialog, IDC_SAME_VALUE_LIST, 0);
  EXPECT_EQ(selection(dialog, IDC_VALUE_LIST), 0) << "the value list follows";
  expect_success(app, dialog, IDB_SET_ALL);
  EXPECT_EQ(sim("COM1").value("get 00 RCTSI"), "CTSI" + std::string(32, 'L'));
  save_screenshot(dialog, "per-channel-font-size");
}

// Ink of the value text of the table's first entry.
int first_value_ink(HWND dialog) {
  return ink_in(dialog, RECT{95, 40, 160, 56});
}

TEST_F(PerChannel, TarquineShowsChannelsThirtyThreeToSixtyFourOnTheSecondPage) {
  App app(ini_with({"select_model=1", "com_port=2"}));  // COM3: a TARQUINE unit
  HWND dialog = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  ASSERT_EQ(item_count(dialog, IDC_CHANNEL_LIST), 64);
  choose(dialog, IDC_CHANNEL_LIST, 32);  // ch.33 …
  choose(dialog, IDC_VALUE_LIST, 0);     // … OFF
  choose(dialog, IDC_CHANNEL_LIST, 0);   // back to the first page
  ASSERT_TRUE(wait_painted(dialog));
  const RECT first_value{95, 40, 160, 56};
  const Capture on = capture_client(dialog, first_value);  // "ON " of ch.01
  choose(dialog, IDC_CHANNEL_LIST, 32);
  EXPECT_TRUE(
      wait_until([&] { return capture_client(dialog, first_value).pixels != on.pixels; }, 3000))
      << "the first entry now shows ch.33, which is OFF";
  save_screenshot(dialog, "per-channel-second-page");

  expect_success(app, dialog, IDB_SET_ALL);
  EXPECT_EQ(sim("COM3").received(), std::vector<std::string>{"CTI" + std::string(32, 'N') + "F" +
                                                             std::string(31, 'N') + "\\r\\n"});

  // Back on ORVELLAN, an input-side dialog opens on the last channel it has.
  choose(dialog, IDC_CHANNEL_LIST, 49);  // ch.50
  ASSERT_TRUE(close_dialog(dialog));
  post_command(app.main_window(), IDM_MODEL_ORVELLAN);
  dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  EXPECT_EQ(item_count(dialog, IDC_CHANNEL_LIST), 32);
  EXPECT_EQ(selection(dialog, IDC_CHANNEL_LIST), 31);
}

TEST_F(PerChannel, VideoOutputListStartsAtChannelTwoAndKeepsChannelOneOn) {
  App app;
  HWND dialog = open_dialog(app, IDM_VIDEO_OUTPUT, L"映像出力");
  EXPECT_EQ(item_count(dialog, IDC_CHANNEL_LIST), 31);
  EXPECT_EQ(item_text(dialog, IDC_CHANNEL_LIST, 0), L"ch.02");
  EXPECT_EQ(control_text(dialog, IDC_SAME_VALUE_GROUP), L"同映像出力");
  EXPECT_TRUE(ink_shows(dialog, RECT{125, 40, 190, 56}, 10)) << "( 固定 ) beside ch.01";
  // The value box holds text, not the dark of a table not yet on the screen.
  const auto value_shown = [&] { return first_value_ink(dialog) < 65 * 16 / 2; };
  ASSERT_TRUE(wait_painted(dialog) && wait_until(value_shown, 3000));
  const int ch01_on = first_value_ink(dialog);
  choose(dialog, IDC_SAME_VALUE_LIST, 0);
  ASSERT_TRUE(wait_painted(dialog) && wait_until(value_shown, 3000));
  EXPECT_EQ(first_value_ink(dialog), ch01_on) << "ch.01 still shows ON";
  expect_success(app, dialog, IDB_SET_ALL);
  EXPECT_EQ(sim("COM1").value("get 00 ROE"), "OEN" + std::string(31, 'F'));
}

TEST_F(PerChannel, SecondSetBeforeTheReplySendsNothing) {
  App app;
  HWND dialog = open_dialog(app, IDM_TITLE_DISPLAY_OUTPUT, L"タイトル表示");
  sim("COM1").command("delay 1500");
  click(dialog, IDB_SET);
  ASSERT_TRUE(wait_until([] { return sim("COM1").received().size() == 1; }, 3000));
  click(dialog, IDB_SET);
  expect_success(app, dialog, IDB_SET_ALL);
  EXPECT_TRUE(no_box_within(app, 1000));
  EXPECT_EQ(sim("COM1").received().size(), 1u);
}

TEST_F(PerChannel, EnterAndEscapeCloseTheDialogAndEndTheWait) {
  App app;
  HWND dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  sim("COM1").command("fault silence 1");
  click(dialog, IDB_SET);
  ASSERT_TRUE(wait_until([] { return sim("COM1").received().size() == 1; }, 3000));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));
  EXPECT_TRUE(no_box_within(app, 4000)) << "closing abandons the wait: no No Connect";
  dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));
}

TEST_F(PerChannel, SlaveAddressDialogIgnoresEnterAndEscape) {
  App app(ini_with({"control=1", "com_port=1"}));
  HWND dialog = open_dialog(app, IDM_SLAVE_ADDRESS, L"スレーブアドレスの設定");
  EXPECT_TRUE(is_enabled(dialog, IDC_SLAVE_LIST));
  save_screenshot(dialog, "slave-address");
  DWORD_PTR handled = 0;  // sent, not posted: carried out when each call returns
  SendMessageTimeoutW(dialog, WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 5000, &handled);
  SendMessageTimeoutW(dialog, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 5000, &handled);
  EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
  choose(dialog, IDC_SLAVE_LIST, 7);
  ASSERT_TRUE(close_dialog(dialog));
  // The selection is the whole program's: the next dialog shows and uses it.
  dialog = open_dialog(app, IDM_TITLE_POSITION, L"タイトル位置");
  EXPECT_TRUE(is_enabled(dialog, IDC_SLAVE_LIST));
  EXPECT_EQ(selection(dialog, IDC_SLAVE_LIST), 7);
  expect_success(app, dialog, IDB_SET);
  EXPECT_EQ(sim("COM2").received("07"), std::vector<std::string>{"07CTPI01B\\r\\n"});
}

TEST_F(PerChannel, SlaveListIsGreyedOnTcpButShowsTheSelection) {
  App app(ini_with({"interface_set=1", "control=1"}));
  select_slave_address(app, 3);
  HWND dialog = open_dialog(app, IDM_DATE_TIME_DISPLAY_OUTPUT, L"日付・時刻表示");
  EXPECT_FALSE(is_enabled(dialog, IDC_SLAVE_LIST));
  EXPECT_EQ(selection(dialog, IDC_SLAVE_LIST), 3);
  // No TCP/IP connection stands: the command cannot leave.
  click(dialog, IDB_SET);
  const MessageBoxSeen box = next_box(app);
  EXPECT_EQ(box.text, L"Socket が接続されていません");
  EXPECT_EQ(box.icon, Icon::warning);
}

}  // namespace
}  // namespace e2e
