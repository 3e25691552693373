#include "fixture.h"

#include "resource.h"
#include "win/dialogs/per_channel_dialog_res.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>

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

}  // namespace e2e
