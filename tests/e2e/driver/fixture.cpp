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

SimControl& sim_for(const char* variable) {
  static std::map<std::string, std::unique_ptr<SimControl>> connected;
  auto& sim = connected[variable];
  if (!sim) {
    const char* endpoint = std::getenv(variable);
    if (!endpoint) throw std::runtime_error(std::string(variable) + " is not set");
    sim = std::make_unique<SimControl>(endpoint);
  }
  return *sim;
}

}  // namespace

SimControl& sim_com1() {
  return sim_for("ORV_SIM_COM1");
}
SimControl& sim_com2() {
  return sim_for("ORV_SIM_COM2");
}
SimControl& sim_com3() {
  return sim_for("ORV_SIM_COM3");
}

SimControl& sim_tcp_converter() {
  return sim_for("ORV_SIM_TCP_CONVERTER");
}
SimControl& sim_tcp_converters() {
  return sim_for("ORV_SIM_TCP_CONVERTERS");
}

int tcp_converter_port() {
  return std::atoi(std::getenv("ORV_TCP_CONVERTER_PORT"));
}
int tcp_server_port() {
  return std::atoi(std::getenv("ORV_TCP_SERVER_PORT"));
}

void ProgramTest::SetUp() {
  for (SimControl* sim :
       {&sim_com1(), &sim_com2(), &sim_com3(), &sim_tcp_converter(), &sim_tcp_converters()})
    sim->reset();
  sim_tcp_converters().command("drop all");  // they connect when a test tells them to
}

HWND ProgramTest::open_dialog(const App& app, int command, const std::wstring& caption_prefix) {
  post_command(app.main_window(), command);
  return wait_window(app.pid(), caption_prefix, 5000, L"#32770");
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

bool ProgramTest::no_box_within(const App& app, int ms) {
  return !wait_message_box(app.pid(), ms).has_value();
}

bool ProgramTest::close_dialog(HWND dialog) {
  click(dialog, IDB_CLOSE);
  return wait_until([&] { return !IsWindow(dialog); }, 3000);
}

void ProgramTest::select_slave_address(const App& app, int item) {
  HWND dialog = open_dialog(app, IDM_SLAVE_ADDRESS, L"スレーブアドレスの設定");
  ASSERT_TRUE(dialog);
  choose(dialog, IDC_SLAVE_LIST, item);
  ASSERT_TRUE(close_dialog(dialog));
}

void ProgramTest::change_a_setting(const App& app) {
  HWND dialog = open_dialog(app, IDM_FONT_SIZE, L"フォントサイズ");
  ASSERT_TRUE(dialog);
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
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - started)
                      .count();
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

std::string client_ini() {
  return ini_with({"interface_set=1", "port_number=" + std::to_string(tcp_converter_port())});
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
  ASSERT_TRUE(dialog);
  connect_to_the_converter(app, dialog);
  ASSERT_TRUE(ProgramTest::close_dialog(dialog));
}

}  // namespace e2e
