#include "fixture.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>

#include "resource.h"
#include "win/bulk/whole_set_dialogs_res.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/link/communication_dialogs_res.h"

namespace e2e {
namespace {

const char* environment(const std::string& variable) {
  const char* value = std::getenv(variable.c_str());
  if (!value) throw std::runtime_error(variable + " is not set");
  return value;
}

}  // namespace

SimControl& sim(const std::string& name) {
  static std::map<std::string, std::unique_ptr<SimControl>> connected;
  auto& control = connected[name];
  if (!control) control = std::make_unique<SimControl>(environment("ORV_SIM_" + name));
  return *control;
}

int tcp_port(const std::string& name) {
  return std::atoi(environment("ORV_TCP_" + name + "_PORT"));
}

void ProgramTest::SetUp() {
  for (const char* name :
       {"COM1", "COM2", "COM3", "TCP_CONVERTER", "TCP_CONVERTERS", "GATEWAY_UNIT"})
    sim(name).reset();
  sim("TCP_CONVERTERS").command("drop all");  // they connect when a test tells them to
}

HWND ProgramTest::open_dialog(const App& app, int command, const std::wstring& caption_prefix) {
  post_command(app.main_window(), command);
  HWND dialog = wait_window(app.pid(), caption_prefix, 5000, L"#32770");
  if (!dialog) throw std::runtime_error("no dialog of the menu command within 5 s");
  return dialog;
}

MessageBoxSeen ProgramTest::next_box(const App& app, int timeout_ms, int button) {
  const auto box = wait_message_box(app.pid(), timeout_ms);
  if (!box) {
    ADD_FAILURE() << "no message box within " << timeout_ms << " ms";
    return {};
  }
  answer_box(*box, button);
  return *box;
}

void ProgramTest::expect_box(const MessageBoxSeen& box, const std::wstring& text,
                             const std::wstring& caption, Icon icon) {
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.caption, caption) << box.text;
  EXPECT_EQ(box.icon, icon) << box.text;
}

void ProgramTest::expect_success(const App& app, HWND dialog, int button) {
  click(dialog, button);
  EXPECT_EQ(next_box(app).text, L"Success") << "button " << button;
}

bool ProgramTest::no_box_within(const App& app, int ms) {
  return !wait_message_box(app.pid(), ms).has_value();
}

bool ProgramTest::close_dialog(HWND dialog) {
  click(dialog, IDB_CLOSE);
  return wait_until([&] { return !IsWindow(dialog); }, 3000);
}

void ProgramTest::select_slave_address(const App& app, int item) {
  HWND dialog = open_dialog(app, IDM_SLAVE_ADDRESS, L"スレーブアドレスの設定");
  choose(dialog, IDC_SLAVE_LIST, item);
  ASSERT_TRUE(close_dialog(dialog));
}

void ProgramTest::change_a_setting(const App& app) {
  HWND dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  choose(dialog, IDC_CHANNEL_LIST, 0);
  choose(dialog, IDC_VALUE_LIST, 2);
  ASSERT_TRUE(close_dialog(dialog));
}

MessageBoxSeen run_to_the_end(const App& app, HWND dialog, const char* property) {
  const auto started = std::chrono::steady_clock::now();
  std::optional<MessageBoxSeen> box;
  long long longest_answer = 0;
  {
    ResponseProbe probe(app.main_window());
    click(dialog, IDB_RUN);
    EXPECT_TRUE(wait_until([&] { return control_text(dialog, IDB_RUN) == L"キャンセル"; }, 3000));
    EXPECT_FALSE(is_enabled(dialog, IDB_CLOSE));
    box = wait_message_box(app.pid(), kFullRunMs);
    longest_answer = probe.longest_ms();
  }
  const auto ms = ms_since(started);
  ::testing::Test::RecordProperty(std::string(property) + "_ms", std::to_string(ms));
  ::testing::Test::RecordProperty(std::string(property) + "_longest_answer_ms",
                                  std::to_string(longest_answer));
  EXPECT_LT(longest_answer, 500) << "the main window answers during the run";
  if (!box) {
    ADD_FAILURE() << "the run did not end within " << kFullRunMs << " ms";
    return {};
  }
  answer_box(*box);
  return *box;
}

std::wstring status_line(const App& app) {
  return text_of(GetDlgItem(app.main_window(), IDC_STATUS_BAR));
}

std::string client_ini() {
  return ini_with({"interface_set=1", "port_number=" + std::to_string(tcp_port("CONVERTER"))});
}

std::string server_ini() {
  return ini_with({"interface_set=1", "client_server=1",
                   "port_number=" + std::to_string(tcp_port("SERVER")),
                   "server_address=127.0.0.1"});
}

HWND open_server_dialog(const App& app) {
  return ProgramTest::open_dialog(app, IDM_TCP_SETTINGS, L"TCP/IPの設定（Server）");
}

HWND open_client_dialog(const App& app) {
  return ProgramTest::open_dialog(app, IDM_TCP_SETTINGS, L"TCP/IPの設定（Client）");
}

void connect_to_the_converter(const App& app, HWND dialog) {
  int rows = 0;
  for (int host : {2, 1, 3}) {
    set_address(dialog, IDC_HOST_ADDRESS, 127, 0, 0, host);
    click(dialog, IDB_ADD_HOST);  // posted: wait for it before the next address
    ++rows;
    ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_HOST_LIST) == rows; }, 3000));
  }
  double_click_row(dialog, IDC_HOST_LIST, 1);
  click(dialog, IDB_CONNECT);
  const MessageBoxSeen connected = ProgramTest::next_box(app);
  EXPECT_EQ(connected.text, L"Socket 接続 OK");
  EXPECT_EQ(connected.caption, L"Success");
  EXPECT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_DISCONNECT); }, 3000));
  EXPECT_FALSE(is_enabled(dialog, IDB_CONNECT));
}

void connect_through_the_client_dialog(const App& app) {
  HWND dialog = open_client_dialog(app);
  connect_to_the_converter(app, dialog);
  ASSERT_TRUE(ProgramTest::close_dialog(dialog));
}

}  // namespace e2e
