// Start-up: configuration, menu states, the single-instance guard and the
// serial port's set-up reports.
#include <cstdlib>

#include "fixture.h"
#include "resource.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/link/communication_dialogs_res.h"

namespace e2e {
namespace {

// Top-level menus, left to right.
constexpr int kSettingsMenu = 1;
constexpr int kCommunicationMenu = 3;
constexpr int kModelMenu = 5;
// Rows of the settings menu (separators aside): "機器のスレーブアドレス".
constexpr int kSlaveAddressRow = 14;

struct CommunicationMenu {
  bool interface_entry, serial, client_server, tcp, traffic_log;
};

CommunicationMenu communication_menu(const App& app) {
  const auto rows = read_menu(app.pid(), app.main_window(), kCommunicationMenu);
  EXPECT_EQ(rows.size(), 5u);
  if (rows.size() != 5) return {};
  return {rows[0].enabled, rows[1].enabled, rows[2].enabled, rows[3].enabled, rows[4].enabled};
}

bool slave_address_entry_enabled(const App& app) {
  const auto rows = read_menu(app.pid(), app.main_window(), kSettingsMenu);
  EXPECT_EQ(rows.size(), 16u);
  return rows.size() > kSlaveAddressRow && rows[kSlaveAddressRow].enabled;
}

std::pair<bool, bool> model_marks(const App& app) {
  const auto rows = read_menu(app.pid(), app.main_window(), kModelMenu);
  EXPECT_EQ(rows.size(), 2u);
  if (rows.size() != 2) return {};
  return {rows[0].marked, rows[1].marked};
}

using Startup = ProgramTest;

TEST_F(Startup, WithoutConfigurationFileUsesTheSerialLineAndOrvellan) {
  App app;
  ASSERT_TRUE(app.main_window());
  EXPECT_TRUE(no_box_within(app, 500)) << "COM1 opens without a report";
  const CommunicationMenu menu = communication_menu(app);
  EXPECT_TRUE(menu.interface_entry);
  EXPECT_TRUE(menu.serial);
  EXPECT_FALSE(menu.client_server);
  EXPECT_FALSE(menu.tcp);
  EXPECT_TRUE(menu.traffic_log);
  EXPECT_FALSE(slave_address_entry_enabled(app));
  EXPECT_EQ(model_marks(app), std::make_pair(true, false));
  // A missing file is not written at start-up.
  EXPECT_EQ(GetFileAttributesW(ini_path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Startup, TcpInterfaceOpensNoPortAndTheModelComesFromTheConfiguration) {
  App app(ini_with({"interface_set=1", "control=1", "com_port=5", "select_model=1"}));
  ASSERT_TRUE(app.main_window());
  EXPECT_TRUE(no_box_within(app, 800)) << "no serial port is opened, so none fails";
  EXPECT_FALSE(slave_address_entry_enabled(app)) << "RS-485 is not in use over TCP/IP";
  EXPECT_EQ(model_marks(app), std::make_pair(false, true));
}

TEST_F(Startup, SecondCopyIsRefusedWithoutAWindow) {
  App first;
  ASSERT_TRUE(first.main_window());
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
  ASSERT_TRUE(app.main_window());
  for (const wchar_t* text : {L"Miss! File Open", L"Miss! Mask Set", L"Miss! Buffer Set",
                              L"Miss! Time Out Set", L"Miss! Set Comm State"}) {
    const MessageBoxSeen box = next_box(app);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(box.icon, Icon::error) << box.text.size();
  }
  EXPECT_TRUE(no_box_within(app, 500));
  EXPECT_TRUE(IsWindow(app.main_window()));
  EXPECT_FALSE(app.wait_exit(0));
  // A port chosen afterwards delivers replies.
  HWND serial = open_dialog(app, IDM_SERIAL_SETTINGS, L"RS-232C");
  ASSERT_TRUE(serial);
  choose(serial, IDC_COM_PORT_LIST, 0);  // COM1: a unit
  click(serial, IDOK);
  ASSERT_TRUE(wait_until([] { return read_ini().find("com_port=0") != std::string::npos; }, 3000));
  HWND dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  ASSERT_TRUE(dialog);
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(app).text, L"Success");
}

}  // namespace
}  // namespace e2e
