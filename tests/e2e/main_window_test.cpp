// Start-up and the main window: configuration, menu states, the
// single-instance guard, the serial port's set-up reports, the size and
// buttons, the hints, the model switch, the guards, the About box and the
// close path.
#include <cstdlib>
#include <set>

#include "fixture.h"
#include "resource.h"
#include "win/bulk/whole_set_dialogs_res.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/link/communication_dialogs_res.h"

namespace e2e {
namespace {

constexpr wchar_t kFifthButtonHint[] = L"日付・時刻の設定（出力側）";

void point_at(int x, int y) {
  SetCursorPos(x, y);
}

using MainWindow = ProgramTest;

TEST_F(MainWindow, SizeStyleAndTheThirteenButtons) {
  App app;
  RECT r{};
  GetWindowRect(app.main_window(), &r);
  EXPECT_EQ(r.right - r.left, 785);
  EXPECT_EQ(r.bottom - r.top, 130);
  const LONG style = GetWindowLongW(app.main_window(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_EQ(text_of(app.main_window()), L"ORVELLAN");
  save_screenshot(app.main_window(), "main-window");

  std::set<COLORREF> strip_colours;
  for (int k = 0; k < 13; ++k) {
    HWND button = GetDlgItem(app.main_window(), IDB_FIRST_PANEL_BUTTON + k);
    ASSERT_TRUE(button) << k;
    RECT b{};
    GetWindowRect(button, &b);
    MapWindowPoints(nullptr, app.main_window(), reinterpret_cast<POINT*>(&b), 2);
    const RECT expected{60 * k, 0, 60 * k + 60, 55};
    EXPECT_TRUE(EqualRect(&b, &expected)) << k;
    // The colour strip: (5, 5) to (55, 15) of the button.
    const Capture strip = capture_client(app.main_window(), RECT{60 * k + 8, 7, 60 * k + 52, 13});
    for (COLORREF p : strip.pixels) ASSERT_EQ(p, strip.pixels[0]) << "button " << k;
    strip_colours.insert(strip.pixels[0]);
    // Its label is painted under the strip.
    EXPECT_GT(ink_in(app.main_window(), RECT{60 * k + 5, 33, 60 * k + 55, 50}), 10) << k;
  }
  EXPECT_EQ(strip_colours.size(), 13u) << "every button has a colour of its own";

  // Nothing changed: closing ends at once.
  PostMessageW(app.main_window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.wait_exit(5000));
  EXPECT_EQ(app.exit_code(), 0u);
}

TEST_F(MainWindow, HintsFollowThePointerWhileTheWindowIsActive) {
  App app;
  SetForegroundWindow(app.main_window());
  ASSERT_TRUE(wait_until([&] { return GetForegroundWindow() == app.main_window(); }, 3000));
  RECT b{};
  GetWindowRect(GetDlgItem(app.main_window(), 14), &b);
  point_at((b.left + b.right) / 2, (b.top + b.bottom) / 2);
  EXPECT_TRUE(wait_until([&] { return status_line(app) == kFifthButtonHint; }, 2000))
      << status_line(app).size();
  RECT w{};
  GetWindowRect(app.main_window(), &w);
  point_at(w.left + 400, w.bottom + 100);
  EXPECT_TRUE(wait_until([&] { return status_line(app) == L"ﾚﾃﾞｨ"; }, 2000));
  // The bottom edge, one pixel below the button, still counts as the button.
  point_at((b.left + b.right) / 2, b.bottom);
  EXPECT_TRUE(wait_until([&] { return status_line(app) == kFifthButtonHint; }, 2000));
  point_at(w.left + 400, w.bottom + 100);
  EXPECT_TRUE(wait_until([&] { return status_line(app) == L"ﾚﾃﾞｨ"; }, 2000));

  // While a dialog is active the status bar does not change.
  open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  point_at((b.left + b.right) / 2, (b.top + b.bottom) / 2);
  EXPECT_FALSE(wait_until([&] { return status_line(app) != L"ﾚﾃﾞｨ"; }, 400))
      << "eight hint ticks pass without a change";
}

TEST_F(MainWindow, ModelSwitchWritesTheConfigurationOnlyWhenItChanges) {
  App app;
  post_command(app.main_window(), IDM_MODEL_TARQUINE);
  ASSERT_TRUE(ini_holds("select_model=1"));
  // The entry already selected writes nothing.
  std::string ini = read_ini();
  write_bytes(ini_path(), ini.replace(ini.find("select_model=1"), 14, "select_model=9"));
  DWORD_PTR handled = 0;  // sent, not posted: it has been carried out when the call returns
  SendMessageTimeoutW(app.main_window(), WM_COMMAND, IDM_MODEL_TARQUINE, 0, SMTO_NORMAL, 5000,
                      &handled);
  EXPECT_TRUE(ini_holds("select_model=9"));
  post_command(app.main_window(), IDM_MODEL_ORVELLAN);
  EXPECT_TRUE(ini_holds("select_model=0"));
}

// What the menu refuses, and where: Broadcast for the commands that need one
// unit's answer, on RS-485 only (chosen before or in read all's own list);
// the converter's settings over TCP/IP.
TEST_F(MainWindow, GuardsOfTheMenuEntries) {
  {
    App rs485(ini_with({"control=1", "com_port=1"}));
    select_slave_address(rs485, 32);
    post_command(rs485.main_window(), IDM_READ_ALL);
    const MessageBoxSeen box = next_box(rs485);
    expect_box(box, L"スレーブアドレスを「Broadcast」以外に設定してください。", L"Error",
               Icon::error);
    select_slave_address(rs485, 0);
    HWND dialog = open_dialog(rs485, IDM_READ_ALL, L"設定項目の読み込み");
    choose(dialog, IDC_SLAVE_LIST, 32);
    click(dialog, IDB_RUN);
    EXPECT_EQ(next_box(rs485).text, box.text);
    EXPECT_EQ(control_text(dialog, IDB_RUN), L"読み込み");
    EXPECT_TRUE(sim("COM2").received().empty());
  }
  {
    App rs232c;
    select_slave_address(rs232c, 32);
    post_command(rs232c.main_window(), IDM_READ_ALL);
    EXPECT_TRUE(no_box_within(rs232c, 800)) << "RS-232C: the address is not used";
  }
  App tcp(ini_with({"interface_set=1"}));
  post_command(tcp.main_window(), IDM_PROTOCOL);
  EXPECT_EQ(next_box(tcp).text, L"インターフェイスをRS-232C/RS-485にしてください。");
}

// Alt with the "?" key (Shift and "/"), typed on the keyboard into the main
// window.
void type_alt_question_mark(HWND window) {
  SetForegroundWindow(window);
  wait_until([&] { return GetForegroundWindow() == window; }, 3000);
  auto key = [](BYTE vk, bool up) { keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0); };
  key(VK_MENU, false);
  key(VK_SHIFT, false);
  key(VK_OEM_2, false);
  key(VK_OEM_2, true);
  key(VK_SHIFT, true);
  key(VK_MENU, true);
}

TEST_F(MainWindow, AboutBoxByAltQuestionMark) {
  App app;
  type_alt_question_mark(app.main_window());
  HWND about = wait_window(app.pid(), L"ﾊﾞｰｼﾞｮﾝ情報", 3000, L"#32770");
  ASSERT_TRUE(about);
  EXPECT_EQ(control_text(about, IDC_ABOUT_VERSION), L"ORVELLAN/TARQUINE Version 1.02");
  save_screenshot(about, "about-box");
  click(about, IDOK);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(about); }, 3000));
}

// Closing with changes asks to save: Cancel, or a cancelled save, keeps the
// program open and the changes; "Yes" and a file name write the settings and
// end it.
TEST_F(MainWindow, CloseWithChangesAsksToSave) {
  App app;
  change_a_setting(app);
  post_command(app.main_window(), IDM_EXIT);
  EXPECT_EQ(next_box(app, 5000, IDCANCEL).caption, L"保存確認");
  EXPECT_FALSE(app.wait_exit(800)) << "Cancel goes back";
  post_command(app.main_window(), IDM_EXIT);
  const MessageBoxSeen box = next_box(app, 5000, IDYES);
  EXPECT_EQ(box.caption, L"保存確認");
  EXPECT_EQ(box.text, L"ファイルが変更されています。保存しますか？");
  ASSERT_TRUE(choose_file(app.pid(), L"名前を付けて保存", L""));
  EXPECT_FALSE(app.wait_exit(800));

  const std::wstring file = temp_folder(L"orv-e2e-close") + L"\\close.dat";
  PostMessageW(app.main_window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(next_box(app, 5000, IDYES).caption, L"保存確認") << "still marked changed";
  ASSERT_TRUE(choose_file(app.pid(), L"名前を付けて保存", file));
  EXPECT_TRUE(app.wait_exit(8000));
  orv::DeviceSettings saved;
  ASSERT_TRUE(read_settings(file, orv::kModelOrvellan, saved)) << "a whole settings file";
  EXPECT_EQ(saved.fontSize[0], 2);
}

// Top-level menus, left to right.
constexpr int kSettingsMenu = 1;
constexpr int kCommunicationMenu = 3;
constexpr int kModelMenu = 5;
// Rows of the settings menu (separators aside): "機器のスレーブアドレス".
constexpr int kSlaveAddressRow = 14;

bool slave_address_entry_enabled(const App& app) {
  return menu_rows(app.pid(), app.main_window(), kSettingsMenu, &MenuRow::enabled)
      .at(kSlaveAddressRow);
}

using Startup = ProgramTest;

TEST_F(Startup, WithoutConfigurationFileUsesTheSerialLineAndOrvellan) {
  App app;
  EXPECT_TRUE(no_box_within(app, 500)) << "COM1 opens without a report";
  // Interface, serial line, client/server, TCP/IP, traffic log.
  EXPECT_EQ(menu_rows(app.pid(), app.main_window(), kCommunicationMenu, &MenuRow::enabled),
            (std::vector<bool>{true, true, false, false, true}));
  EXPECT_FALSE(slave_address_entry_enabled(app));
  EXPECT_EQ(menu_rows(app.pid(), app.main_window(), kModelMenu, &MenuRow::marked),
            (std::vector<bool>{true, false}));
  // A missing file is not written at start-up.
  EXPECT_EQ(GetFileAttributesW(ini_path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Startup, SecondCopyIsRefusedWithoutAWindow) {
  App first;
  PROCESS_INFORMATION second = App::start_process();
  const auto box = wait_message_box(second.dwProcessId, 10000);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, L"２重起動防止");
  EXPECT_EQ(box->text, L"２重に起動はできません");
  EXPECT_EQ(wait_window(second.dwProcessId, L"ORVELLAN", 200, L"ORVELLAN"), nullptr);
  answer_box(*box);
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 5000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  EXPECT_TRUE(IsWindow(first.main_window()));
}

TEST_F(Startup, PortWithoutDeviceReportsEachStepAndKeepsRunning) {
  const char* free_com = std::getenv("ORV_FREE_COM");
  if (!free_com || !*free_com) GTEST_SKIP() << "Wine gave every COM port from 4 to 6 to a device";
  App app(ini_with({"com_port=" + std::to_string(std::atoi(free_com) - 1)}));
  for (const wchar_t* text : {L"Miss! File Open", L"Miss! Mask Set", L"Miss! Buffer Set",
                              L"Miss! Time Out Set", L"Miss! Set Comm State"}) {
    const MessageBoxSeen box = next_box(app);
    expect_box(box, text, L"Error", Icon::error);
  }
  EXPECT_TRUE(no_box_within(app, 500));
  EXPECT_TRUE(IsWindow(app.main_window()));
  EXPECT_FALSE(app.wait_exit(0));
  // A port chosen afterwards delivers replies.
  HWND serial = open_dialog(app, IDM_SERIAL_SETTINGS, L"RS-232C");
  choose(serial, IDC_COM_PORT_LIST, 0);  // COM1: a unit
  click(serial, IDOK);
  ASSERT_TRUE(ini_holds("com_port=0"));
  HWND dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  expect_success(app, dialog, IDB_SET);
}

}  // namespace
}  // namespace e2e
