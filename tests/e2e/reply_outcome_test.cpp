// What the operator sees after a command: success, the unit's condition, or
// "No Connect", each once, shown by the main window; and what the traffic
// log window lists of it.
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "fixture.h"
#include "resource.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/dialogs/unit_settings_dialogs_res.h"
#include "win/link/traffic_log_window_res.h"

namespace e2e {
namespace {

// The program started with a configuration, the title display dialog open.
class TitleDisplayOpen : public ProgramTest {
 protected:
  explicit TitleDisplayOpen(std::string ini = "") : ini_(std::move(ini)) {}
  void SetUp() override {
    ProgramTest::SetUp();
    app = std::make_unique<App>(ini_);
    dialog = open_dialog(*app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  }
  std::unique_ptr<App> app;
  HWND dialog = nullptr;

 private:
  std::string ini_;
};

class ReplyOutcome : public TitleDisplayOpen {};

// Success, a condition, a garbled reply and a reply in pieces: each gives
// exactly one box with its own caption and icon.
TEST_F(ReplyOutcome, EachReplyIsShownOnce) {
  click(dialog, IDB_SET);
  MessageBoxSeen box = next_box(*app);
  expect_box(box, L"Success", L"接続成功", Icon::none);
  EXPECT_TRUE(no_box_within(*app, 1500));

  // With "成功の表示をステータス行にする" a success goes to the status line
  // for a while; a failure still has its box.
  post_command(app->main_window(), IDM_SUCCESS_IN_STATUS_LINE);
  EXPECT_TRUE(wait_until([] { return ini_holds("success_in_status_line=1"); }, 3000));
  click(dialog, IDB_SET);
  EXPECT_TRUE(wait_until([&] { return status_line(*app) == L"Success"; }, 3000));
  EXPECT_TRUE(no_box_within(*app, 500));
  EXPECT_TRUE(wait_until([&] { return status_line(*app) == L"ﾚﾃﾞｨ"; }, 5000)) << "a few seconds";

  sim("COM1").command("fault condition LOCK");
  click(dialog, IDB_SET);
  box = next_box(*app);
  expect_box(box, L"Lock Display", L"Error", Icon::error);
  EXPECT_TRUE(no_box_within(*app, 1000));
  post_command(app->main_window(), IDM_SUCCESS_IN_STATUS_LINE);
  EXPECT_TRUE(wait_until([] { return ini_holds("success_in_status_line=0"); }, 3000));

  sim("COM1").command("fault garble");
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(*app).text, L"Command Error");

  sim("COM1").command("fault split 3 200");
  click(dialog, IDB_SET_ALL);
  EXPECT_EQ(next_box(*app).text, L"Success");
  EXPECT_TRUE(no_box_within(*app, 1000));

  // Lines nobody asked for: the first is reported, those that come while
  // its box is up are only counted.
  sim("COM1").command("send serial XX\\r\\n");
  const auto stray = wait_message_box(app->pid());
  ASSERT_TRUE(stray.has_value());
  int sent = 0;
  for (const char* line : {"YY", "GO", "CTI01FF"}) {
    sim("COM1").command(std::string("send serial ") + line + "\\r\\n");
    const std::wstring counted = L"を " + std::to_wstring(++sent) + L" 行";
    EXPECT_TRUE(
        wait_until([&] { return status_line(*app).find(counted) != std::wstring::npos; }, 3000))
        << line;
  }
  answer_box(*stray);
  EXPECT_EQ(stray->text, L"Command Error");
  EXPECT_TRUE(no_box_within(*app, 1000));
}

TEST_F(ReplyOutcome, SilentUnitGivesNoConnectAfterFifteenTicksOnce) {
  sim("COM1").command("fault silence 1");
  const auto sent = std::chrono::steady_clock::now();
  click(dialog, IDB_SET);
  const auto box = wait_message_box(app->pid(), 8000);
  ASSERT_TRUE(box.has_value());
  const auto waited = ms_since(sent);
  answer_box(*box);
  expect_box(*box, L"No Connect", L"接続失敗", Icon::error);
  EXPECT_GE(waited, 2500) << "fifteen ticks of 190 ms";
  EXPECT_TRUE(no_box_within(*app, 2000));
  // The link is usable again.
  click(dialog, IDB_SET);
  EXPECT_EQ(next_box(*app).text, L"Success");

  // The adapter pulled out: reported once; put back: the commands work again
  // without a restart.
  struct PlugBack {
    ~PlugBack() { sim("COM1").command("plug"); }
  } plug_back;
  ASSERT_EQ(sim("COM1").command("unplug"), "OK\n");
  click(dialog, IDB_SET);
  std::vector<std::wstring> boxes;
  while (auto box = wait_message_box(app->pid(), 3500)) {
    answer_box(*box);
    boxes.push_back(box->text);
  }
  EXPECT_EQ(std::count(boxes.begin(), boxes.end(),
                       L"COM1 が使えなくなりました。ポートを閉じ、開き直します。"),
            1);
  EXPECT_EQ(status_line(*app), L"COM1 が使えなくなりました。数秒ごとに開き直しています…");
  ASSERT_EQ(sim("COM1").command("plug"), "OK\n");
  EXPECT_TRUE(wait_until([&] { return status_line(*app) == L"COM1 を開き直しました。"; }, 8000));
  expect_success(*app, dialog, IDB_SET);
}

class Rs485 : public TitleDisplayOpen {
 protected:
  Rs485() : TitleDisplayOpen(ini_with({"control=1", "com_port=1"})) {}  // COM2: the bus
};

TEST_F(Rs485, BroadcastReachesEveryUnitAndSucceedsWithoutAReply) {
  choose(dialog, IDC_SLAVE_LIST, 32);
  choose(dialog, IDC_SAME_VALUE_LIST, 0);
  click(dialog, IDB_SET_ALL);
  EXPECT_EQ(next_box(*app).text, L"Success");
  EXPECT_EQ(sim("COM2").received(),
            std::vector<std::string>{"FFCTI" + std::string(32, 'F') + "\\r\\n"});
  for (int unit = 0; unit < 8; ++unit)
    EXPECT_EQ(sim("COM2").value("get 0" + std::to_string(unit) + " RCTI"),
              "CTI" + std::string(32, 'F'));
}

// "通信ログ": the lines that went to a unit of the RS-485 bus and came back,
// listed beside a modal dialog, saved and cleared.
using TrafficLog = ProgramTest;

TEST_F(TrafficLog, ACommandAndItsReplyWithTheirLinkAndUnit) {
  App app(ini_with({"control=1", "com_port=1"}));  // COM2: the bus
  select_slave_address(app, 3);
  SetWindowPos(app.main_window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const auto open_log = [&] {
    post_command(app.main_window(), IDM_TRAFFIC_LOG);
    return wait_window(app.pid(), L"通信ログ");
  };
  const auto beside_the_main_window = [&](HWND window) {
    RECT main{}, beside{};
    GetWindowRect(app.main_window(), &main);
    GetWindowRect(window, &beside);
    RECT over{};
    return !IntersectRect(&over, &main, &beside);
  };
  HWND log = open_log();
  ASSERT_TRUE(log);
  EXPECT_TRUE(beside_the_main_window(log)) << "not over it";
  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  choose(titles, IDC_VALUE_LIST, 0);
  expect_success(app, titles, IDB_SET);
  ASSERT_TRUE(wait_until([&] { return list_row_count(log, IDC_TRAFFIC_LIST) == 2; }, 2000))
      << list_row_count(log, IDC_TRAFFIC_LIST);
  const std::wstring sent = list_row_text(log, IDC_TRAFFIC_LIST, 0),
                     reply = list_row_text(log, IDC_TRAFFIC_LIST, 1);
  EXPECT_NE(sent.find(L"\t→\tCOM2\t03\t03CTI01OF\\r\\n"), std::wstring::npos) << sent;
  EXPECT_NE(reply.find(L"\t←\tCOM2\t03\t03GO\\r\\n"), std::wstring::npos) << reply;
  EXPECT_TRUE(IsWindowEnabled(log)) << "usable beside the modal dialog";
  save_screenshot(log, "traffic_log");
  save_screenshot(titles, "title_display_beside_the_log");
  ASSERT_TRUE(close_dialog(titles));

  // The password goes to the unit, and the log keeps it masked.
  HWND password = open_dialog(app, IDM_PASSWORD, L"パスワード");
  SetDlgItemTextW(password, IDE_PASSWORD, L"654321");
  expect_success(app, password, IDB_SET_PASSWORD);
  ASSERT_TRUE(wait_until([&] { return list_row_count(log, IDC_TRAFFIC_LIST) == 4; }, 2000));
  EXPECT_NE(list_row_text(log, IDC_TRAFFIC_LIST, 2).find(L"\t03PN******\\r\\n"),
            std::wstring::npos);
  EXPECT_EQ(sim("COM2").received().back(), "03PN654321\\r\\n");

  const std::wstring file = temp_folder(L"orv-e2e-traffic") + L"\\log.txt";
  click(log, IDB_TRAFFIC_SAVE);
  ASSERT_TRUE(choose_file(app.pid(), L"通信ログの保存", file));
  ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(file); }, 3000));
  const std::string saved = file_bytes(file), first = saved.substr(0, saved.find('\n'));
  EXPECT_NE(first.find("\t\xE2\x86\x92\tCOM2\t03\t03CTI01OF\\r\\n\r"), std::string::npos) << first;
  EXPECT_EQ(saved.find("654321"), std::string::npos) << "no password in the file";
  click(log, IDB_TRAFFIC_CLEAR);
  EXPECT_TRUE(wait_until([&] { return list_row_count(log, IDC_TRAFFIC_LIST) == 0; }, 2000));

  // It comes back where it was left, with its size; not on a monitor that
  // is gone.
  SetWindowPos(log, nullptr, 100, 500, 500, 300, SWP_NOZORDER);
  click(log, IDB_CLOSE);
  EXPECT_TRUE(wait_until([] { return ini_holds("traffic_log_place=100,500,500,300"); }, 3000));
  log = open_log();
  RECT back{};
  GetWindowRect(log, &back);
  EXPECT_EQ(std::vector<LONG>({back.left, back.top, back.right, back.bottom}),
            std::vector<LONG>({100, 500, 600, 800}));
  click(log, IDB_CLOSE);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(log); }, 3000));
  std::string ini = read_ini();
  ini.replace(ini.find("traffic_log_place=100,500"), 25, "traffic_log_place=5000,500");
  ASSERT_TRUE(write_bytes(ini_path(), ini));
  log = open_log();
  EXPECT_TRUE(beside_the_main_window(log));
}

}  // namespace
}  // namespace e2e
