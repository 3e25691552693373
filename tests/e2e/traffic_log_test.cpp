// "通信ログ": the lines that went to a unit of the RS-485 bus and came back,
// listed beside a modal dialog, saved and cleared.
#include <filesystem>
#include <fstream>

#include "fixture.h"
#include "resource.h"
#include "settings_files.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/link/traffic_log_window_res.h"

namespace e2e {
namespace {

using TrafficLog = ProgramTest;

TEST_F(TrafficLog, ACommandAndItsReplyWithTheirLinkAndUnit) {
  App app(ini_with({"control=1", "com_port=1"}));  // COM2: the bus
  ASSERT_TRUE(app.main_window());
  select_slave_address(app, 3);
  post_command(app.main_window(), IDM_TRAFFIC_LOG);
  HWND log = wait_window(app.pid(), L"通信ログ");
  ASSERT_TRUE(log);
  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  ASSERT_TRUE(titles);
  choose(titles, IDC_VALUE_LIST, 0);
  click(titles, IDB_SET);
  EXPECT_EQ(next_box(app).text, L"Success");
  ASSERT_TRUE(wait_until([&] { return list_row_count(log, IDC_TRAFFIC_LIST) == 2; }, 2000))
      << list_row_count(log, IDC_TRAFFIC_LIST);
  const std::wstring sent = list_row_text(log, IDC_TRAFFIC_LIST, 0),
                     reply = list_row_text(log, IDC_TRAFFIC_LIST, 1);
  EXPECT_NE(sent.find(L"\t→\tCOM2\t03\t03CTI01OF\\r\\n"), std::wstring::npos) << sent;
  EXPECT_NE(reply.find(L"\t←\tCOM2\t03\t03GO\\r\\n"), std::wstring::npos) << reply;
  EXPECT_TRUE(IsWindowEnabled(log)) << "usable beside the modal dialog";
  save_screenshot(log, "traffic_log");
  save_screenshot(titles, "title_display_beside_the_log");

  const std::wstring file = temp_folder(L"orv-e2e-traffic") + L"\\log.txt";
  click(log, IDB_TRAFFIC_SAVE);
  ASSERT_TRUE(choose_file(app.pid(), L"通信ログの保存", file));
  ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(file); }, 3000));
  std::ifstream saved{std::filesystem::path(file), std::ios::binary};
  std::string first;
  std::getline(saved, first);
  EXPECT_NE(first.find("\t\xE2\x86\x92\tCOM2\t03\t03CTI01OF\\r\\n\r"), std::string::npos) << first;
  click(log, IDB_TRAFFIC_CLEAR);
  EXPECT_TRUE(wait_until([&] { return list_row_count(log, IDC_TRAFFIC_LIST) == 0; }, 2000));
}

}  // namespace
}  // namespace e2e
