// The TCP/IP link against simulated converters: the client of one converter
// from the host list, the server of 96, failures of the network, the
// communication dialogs and their configuration keys, and the LAN converter
// settings. Every address a test uses is on loopback.
#include <winsock2.h>  // before windows.h

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "fixture.h"
#include "resource.h"
#include "settings_files.h"
#include "win/bulk/fleet_dialog_res.h"
#include "win/bulk/whole_set_dialogs_res.h"
#include "win/converter/converter_dialog_res.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/link/communication_dialogs_res.h"
#include "win/link/traffic_log_window_res.h"

namespace e2e {
namespace {

using Tcp = ProgramTest;

// A converter played by hand: a connection from `source` to the server.
class HandConverter {
 public:
  HandConverter(const char* source, int port) : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    from.sin_addr.s_addr = inet_addr(source);
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    to.sin_port = htons(static_cast<u_short>(port));
    bind(socket_, reinterpret_cast<sockaddr*>(&from), sizeof from);
    connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  ~HandConverter() { closesocket(socket_); }
  // Goes (as the object goes) with a reset instead of an orderly close.
  void reset() {
    const linger at_once{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&at_once),
               sizeof at_once);
  }
  // The server closed the connection within `timeout_ms`.
  bool closed_within(int timeout_ms) const {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    char byte = 0;
    return select(0, &readable, nullptr, nullptr, &wait) == 1 && recv(socket_, &byte, 1, 0) <= 0;
  }

 private:
  SOCKET socket_;
};

// A converter that never answers a connection: it listens, but its queue
// is full and it takes nobody off it.
class DeafConverter {
 public:
  DeafConverter(const char* address, int port) : listener_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = inet_addr(address);
    at.sin_port = htons(static_cast<u_short>(port));
    bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    listen(listener_, 0);
    for (SOCKET& queued : queue_) {
      queued = socket(AF_INET, SOCK_STREAM, 0);
      u_long non_blocking = 1;
      ioctlsocket(queued, FIONBIO, &non_blocking);
      connect(queued, reinterpret_cast<sockaddr*>(&at), sizeof at);
    }
  }
  ~DeafConverter() {
    for (SOCKET queued : queue_) closesocket(queued);
    closesocket(listener_);
  }

 private:
  SOCKET listener_;
  std::array<SOCKET, 3> queue_{};
};

TEST_F(Tcp, TheClientReachesTheChosenConverterAndReportsASilentOne) {
  App app(client_ini());
  connect_through_the_client_dialog(app);
  EXPECT_TRUE(ini_holds("client_select_ip_address=1"))
      << "the selection is written when the dialog closes";

  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  choose(titles, IDC_VALUE_LIST, 0);
  expect_success(app, titles, IDB_SET);
  EXPECT_EQ(sim("TCP_CONVERTER").value("get 00 RCTI")[3], 'F') << "the unit behind the converter";
  sim("TCP_CONVERTER").command("fault garble");
  click(titles, IDB_SET);
  EXPECT_EQ(next_box(app).text, L"Command Error") << "a garbled reply is no acknowledgement";

  sim("TCP_CONVERTER").command("fault silence 1");
  const auto sent = std::chrono::steady_clock::now();
  long long longest_answer = 0;
  std::optional<MessageBoxSeen> silent;
  {
    ResponseProbe probe(app.main_window());
    click(titles, IDB_SET);
    silent = wait_message_box(app.pid(), 6000);
    longest_answer = probe.longest_ms();
  }
  const auto waited = ms_since(sent);
  ASSERT_TRUE(silent.has_value());
  answer_box(*silent);
  EXPECT_EQ(silent->text, L"Answer が､きません");
  EXPECT_EQ(silent->icon, Icon::warning);
  EXPECT_LT(waited, 2850) << "before timer 1 would call it No Connect";
  EXPECT_LT(longest_answer, 50) << "the window answers while the reply is awaited";
  EXPECT_TRUE(no_box_within(app, 3500)) << "reported once";

  ASSERT_TRUE(close_dialog(titles));
  PostMessageW(app.main_window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(next_box(app, 5000, IDNO).text, L"ファイルが変更されています。保存しますか？");
  EXPECT_EQ(next_box(app).text, L"TCP/IPを切断してください。");
  HWND dialog = open_client_dialog(app);
  click(dialog, IDB_DISCONNECT);
  EXPECT_EQ(next_box(app).text, L"Socket 切断 OK");
  EXPECT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_CONNECT); }, 3000));
}

TEST_F(Tcp, AConnectionThatFailsIsReportedAndANextOneWorks) {
  App app(ini_with({"interface_set=1", "port_number=" + std::to_string(tcp_port("CONVERTER")),
                    "connect_timeout_ms=1500"}));
  HWND dialog = open_client_dialog(app);
  {
    const DeafConverter deaf("127.0.0.4", tcp_port("CONVERTER"));
    set_address(dialog, IDC_HOST_ADDRESS, 127, 0, 0, 4);
    click(dialog, IDB_ADD_HOST);
    const auto asked = std::chrono::steady_clock::now();
    click(dialog, IDB_CONNECT);
    EXPECT_TRUE(
        wait_until([&] { return control_text(dialog, IDC_CONNECTION_STATE) == L"接続中…"; }, 1000));
    EXPECT_EQ(next_box(app, 5000).text, L"ソケットイベントにエラーが発生しました。");
    EXPECT_GE(ms_since(asked), 1400) << "the configured time-out";
    EXPECT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_CONNECT); }, 3000));
    click(dialog, IDB_DELETE_HOST);
    ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_HOST_LIST) == 0; }, 3000));
  }
  set_address(dialog, IDC_HOST_ADDRESS, 127, 0, 0, 2);  // nobody listens there
  click(dialog, IDB_ADD_HOST);
  click(dialog, IDB_CONNECT);
  const MessageBoxSeen refused = next_box(app);
  EXPECT_EQ(refused.text, L"ソケットイベントにエラーが発生しました。");
  EXPECT_EQ(refused.caption, L"Error");
  EXPECT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_CONNECT); }, 3000))
      << "the failed socket is gone: connecting again is possible";

  click(dialog, IDB_DELETE_HOST);
  ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_HOST_LIST) == 0; }, 3000));
  click(dialog, IDB_CONNECT);
  EXPECT_EQ(next_box(app).text, L"接続できません") << "no entry to connect to";

  set_address(dialog, IDC_HOST_ADDRESS, 127, 0, 0, 1);
  click(dialog, IDB_ADD_HOST);
  click(dialog, IDB_CONNECT);
  EXPECT_EQ(next_box(app).text, L"Socket 接続 OK");
  click(dialog, IDB_DISCONNECT);
  next_box(app);
}

TEST_F(Tcp, TheServerTakesNinetySixConvertersAndSendsToThePickedOne) {
  App app(server_ini());
  HWND dialog = open_server_dialog(app);
  click(dialog, IDB_CONNECT);
  ASSERT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_DISCONNECT); }, 3000));
  EXPECT_FALSE(is_enabled(dialog, IDE_PORT_NUMBER));
  sim("TCP_CONVERTERS").command("connect all");
  ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_CLIENT_LIST) == 96; }, 30000))
      << list_row_count(dialog, IDC_CLIENT_LIST);
  EXPECT_TRUE(wait_until(
      [] { return sim("TCP_CONVERTERS").command("links").find("c97 closed") != std::string::npos; },
      5000))
      << "the 97th is turned away";

  std::set<std::wstring> addresses;
  int row57 = -1;
  for (int row = 0; row < 96; ++row) {
    addresses.insert(list_row_text(dialog, IDC_CLIENT_LIST, row));
    if (list_row_text(dialog, IDC_CLIENT_LIST, row) == L"127.0.1.57") row57 = row;
  }
  EXPECT_EQ(addresses.size(), 96u) << "each converter by its own address";
  ASSERT_GE(row57, 0);
  double_click_row(dialog, IDC_CLIENT_LIST, row57);
  EXPECT_EQ(control_text(dialog, IDE_TRANSMISSION_PLACE), L"127.0.1.57");
  ASSERT_TRUE(close_dialog(dialog));

  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  choose(titles, IDC_VALUE_LIST, 0);
  expect_success(app, titles, IDB_SET);
  EXPECT_EQ(sim("TCP_CONVERTERS").value("get c57:00 RCTI")[3], 'F');
  EXPECT_EQ(sim("TCP_CONVERTERS").value("get c56:00 RCTI")[3], 'N') << "only the picked one";

  // Another converter speaking unasked (garbage, a line longer than any
  // reply, an acknowledgement) never answers for the silent picked one.
  sim("TCP_CONVERTERS").command("fault silence 1 link c57");
  {
    ResponseProbe probe(app.main_window());
    click(titles, IDB_SET);
    sim("TCP_CONVERTERS").command("send c56 " + std::string(1000, '#') + "\\r\\nGO\\r\\n");
    EXPECT_EQ(next_box(app).text, L"Answer が､きません");
    EXPECT_LT(probe.longest_ms(), 50);
  }
  sim("TCP_CONVERTERS").command("fault clear");

  // The picked converter goes: the next command goes nowhere, not to whoever
  // takes its place. When the same converter comes back from its address
  // (restarted), nothing else picked meanwhile, it is picked again.
  sim("TCP_CONVERTERS").command("drop c57");
  sim("TCP_CONVERTERS").command("connect c97");
  click(titles, IDB_SET);
  EXPECT_EQ(next_box(app).text, L"Socket 送信");
  sim("TCP_CONVERTERS").command("drop c97");
  sim("TCP_CONVERTERS").command("connect c57");
  choose(titles, IDC_VALUE_LIST, 1);
  EXPECT_TRUE(wait_until(
      [&] {
        click(titles, IDB_SET);
        return next_box(app).text == L"Success";
      },
      10000));
  EXPECT_EQ(sim("TCP_CONVERTERS").value("get c57:00 RCTI")[3], 'N') << "the one that came back";
  ASSERT_TRUE(close_dialog(titles));
  dialog = open_server_dialog(app);
  EXPECT_EQ(control_text(dialog, IDE_TRANSMISSION_PLACE), L"127.0.1.57");
  click(dialog, IDB_DISCONNECT);
  EXPECT_TRUE(wait_until(
      [] {
        const std::string links = sim("TCP_CONVERTERS").command("links");
        return links.find(" connected") == std::string::npos;
      },
      5000))
      << "every converter sees its connection closed";
}

// The places cannot be taken hostage: a converter that comes back takes its
// place over (still picked), and with "登録したアドレスのみ許可" an unlisted
// address gets none.
TEST_F(Tcp, AReturningConverterKeepsItsPlaceAndUnlistedAddressesGetNone) {
  App app(ini_with({"interface_set=1", "client_server=1",
                    "port_number=" + std::to_string(tcp_port("SERVER")), "ip_address_count=1",
                    "IP_001=127.000.009.009"}));
  HWND dialog = open_server_dialog(app);
  EXPECT_EQ(control_text(dialog, IDE_SERVER_ADDRESS), L"") << "every interface by default";
  click(dialog, IDB_CONNECT);
  ASSERT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_DISCONNECT); }, 3000));
  const int port = tcp_port("SERVER");
  auto before_reboot = std::make_unique<HandConverter>("127.0.9.9", port);
  ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_CLIENT_LIST) == 1; }, 3000));
  double_click_row(dialog, IDC_CLIENT_LIST, 0);
  const HandConverter after_reboot("127.0.9.9", port);
  EXPECT_TRUE(before_reboot->closed_within(3000)) << "the old connection is closed";
  EXPECT_EQ(list_row_count(dialog, IDC_CLIENT_LIST), 1);
  EXPECT_EQ(control_text(dialog, IDE_TRANSMISSION_PLACE), L"127.0.9.9") << "still picked";
  EXPECT_FALSE(after_reboot.closed_within(300));

  // Connections that go with a reset before they are taken: never a second
  // box over the first, the repeats counted while it is up. (Those that
  // come after its OK may raise the next one.)
  const auto boxes_up = [&] {
    int up = 0;
    for (HWND window : top_windows(app.pid()))
      up += IsWindowVisible(window) && text_of(window) == L"TREVALIX";
    return up;
  };
  for (int n = 20; n < 60; ++n)
    HandConverter(("127.0.9." + std::to_string(n)).c_str(), port).reset();
  const auto first = wait_message_box(app.pid(), 3000);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->text.rfind(L"WINSOCK.DLLの accept() からのエラー。[", 0), 0u);
  EXPECT_TRUE(wait_until(
      [&] { return status_line(app).find(L"回ありました") != std::wstring::npos; }, 3000));
  EXPECT_EQ(boxes_up(), 1);
  EXPECT_FALSE(wait_until([&] { return boxes_up() > 1; }, 500)) << "never a second box";
  answer_box(*first);
  for (int more = 0; more < 40; ++more) {
    const auto next = wait_message_box(app.pid(), 1500);
    if (!next) break;
    EXPECT_LE(boxes_up(), 1);
    answer_box(*next);
  }
  EXPECT_EQ(list_row_count(dialog, IDC_CLIENT_LIST), 1);

  click(dialog, IDC_LISTED_HOSTS_ONLY);
  EXPECT_TRUE(wait_until([] { return ini_holds("listed_hosts_only=1"); }, 3000));
  const HandConverter unlisted("127.0.9.8", port);
  EXPECT_TRUE(unlisted.closed_within(3000)) << "closed before it takes a place";
  EXPECT_EQ(list_row_count(dialog, IDC_CLIENT_LIST), 1);
  click(dialog, IDB_DISCONNECT);
  ASSERT_TRUE(wait_until([&] { return is_enabled(dialog, IDE_SERVER_ADDRESS); }, 3000));
  EXPECT_EQ(control_text(dialog, IDE_TRANSMISSION_PLACE), std::wstring(16, L' '));
  SetDlgItemTextW(dialog, IDE_SERVER_ADDRESS, L"127.0.0.1");
  EXPECT_TRUE(wait_until([] { return ini_holds("server_address=127.0.0.1"); }, 3000));
}

using CommunicationDialogs = ProgramTest;

TEST_F(CommunicationDialogs, KeysAreWrittenWhenTheyChangeAndTheMenuFollows) {
  App app;
  const std::string before = read_ini();
  for (int command : {IDM_INTERFACE, IDM_SERIAL_SETTINGS}) {
    HWND dialog =
        open_dialog(app, command, command == IDM_INTERFACE ? L"インターフェイス" : L"RS-232C");
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));
  }
  EXPECT_EQ(read_ini(), before) << "nothing changed, nothing written";

  HWND serial = open_dialog(app, IDM_SERIAL_SETTINGS, L"RS-232C");
  choose(serial, IDC_CONTROL_LIST, 1);
  click(serial, IDOK);
  ASSERT_TRUE(ini_holds("control=1"));
  const std::vector<bool> settings = menu_rows(app.pid(), app.main_window(), 1, &MenuRow::enabled);
  ASSERT_FALSE(settings.empty()) << "the settings menu opens";
  EXPECT_TRUE(settings.back()) << "機器のスレーブアドレス follows RS-485";

  HWND interface_dialog = open_dialog(app, IDM_INTERFACE, L"インターフェイス");
  choose(interface_dialog, IDC_INTERFACE_LIST, 1);
  click(interface_dialog, IDOK);
  ASSERT_TRUE(ini_holds("interface_set=1"));
  // Interface, serial line, client/server, TCP/IP, traffic log.
  EXPECT_EQ(menu_rows(app.pid(), app.main_window(), 3, &MenuRow::enabled),
            (std::vector<bool>{true, false, true, true, true}));

  HWND role = open_dialog(app, IDM_CLIENT_SERVER, L"クライアント/サーバー");
  choose(role, IDC_ROLE_LIST, 1);
  click(role, IDOK);
  ASSERT_TRUE(ini_holds("client_server=1"));
  EXPECT_TRUE(open_server_dialog(app)) << "TCP/IPの設定 now opens the server's dialog";
}

using Converter = ProgramTest;

TEST_F(Converter, TheReadFillsEveryFieldAndEachSetReachesTheConverter) {
  App app;
  HWND dialog = open_dialog(app, IDM_PROTOCOL, L"プロトコルの設定");
  EXPECT_TRUE(ini_holds("port_number=09004")) << "written on opening";

  click(dialog, IDB_CONVERTER_READ);
  EXPECT_EQ(next_box(app, 10000).text, L"読み込みが完了しました");
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0), 11);
  HWND unused = GetDlgItem(dialog, IDC_SLAVE_GROUP);
  EXPECT_TRUE(unused && !IsWindowVisible(unused) && !IsWindowEnabled(unused));
  EXPECT_EQ(control_text(dialog, IDE_CONVERTER_MAC), L"00-80-4C-12-34-56");
  EXPECT_EQ(control_text(dialog, IDE_CONVERTER_VERSION), L"1.10");
  EXPECT_EQ(selection(dialog, IDC_CONVERTER_SUBNET), 2);
  EXPECT_EQ(selection(dialog, IDC_CONVERTER_KEEP_ALIVE), 1);
  EXPECT_EQ(selection(dialog, IDC_CONVERTER_TIME_REGISTER), 2);
  EXPECT_EQ(sim("COM1").received().size(), 10u);

  choose(dialog, IDC_CONVERTER_SUBNET, 1);
  expect_success(app, dialog, IDB_SET_CONVERTER_SUBNET);
  EXPECT_EQ(sim("COM1").value("get 00 RESM"), "ESMB");
  set_address(dialog, IDC_CONVERTER_IP, 127, 0, 0, 9);
  expect_success(app, dialog, IDB_SET_CONVERTER_IP);
  EXPECT_EQ(sim("COM1").value("get 00 REIA"), "EIA127.000.000.009");
  SetDlgItemTextW(dialog, IDE_CONVERTER_PORT, L"123");
  EXPECT_TRUE(ini_holds("port_number=123"));
  expect_success(app, dialog, IDB_SET_CONVERTER_PORT);
  EXPECT_EQ(sim("COM1").received().back(), "EPN00123\\r\\n") << "five digits on the wire";

  sim("COM1").command("fault silence 1 after 3");
  click(dialog, IDB_CONVERTER_READ);
  EXPECT_EQ(next_box(app, 10000).text, L"No Connect");
  EXPECT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_CONVERTER_READ); }, 3000));
  ASSERT_TRUE(close_dialog(dialog));

  // The TCP/IP dialogs and this one show and change the same port.
  HWND client = open_client_dialog(app);
  EXPECT_EQ(control_text(client, IDE_PORT_NUMBER), L"123");
  SetDlgItemTextW(client, IDE_PORT_NUMBER, L"10001");
  ASSERT_TRUE(close_dialog(client));
  dialog = open_dialog(app, IDM_PROTOCOL, L"プロトコルの設定");
  EXPECT_EQ(control_text(dialog, IDE_CONVERTER_PORT), L"10001");
  EXPECT_TRUE(ini_holds("port_number=10001"));
  expect_success(app, dialog, IDB_SET_CONVERTER_PORT);
  EXPECT_EQ(sim("COM1").received().back(), "EPN10001\\r\\n");
}

// "バックアップ…" over the TCP/IP server runs its converters side by side,
// each on its own connection: at the units, every one has begun before any
// has ended, and each converter's settings land in its own file.
TEST_F(Tcp, TheBackupWindowReadsTheServersConvertersSideBySide) {
  App app(server_ini());
  HWND dialog = open_server_dialog(app);
  click(dialog, IDB_CONNECT);
  ASSERT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_DISCONNECT); }, 3000));
  constexpr int kConverters = 4;
  for (int c = 1; c <= kConverters; ++c) {
    sim("TCP_CONVERTERS").command("connect c" + std::to_string(c));
    sim("TCP_CONVERTERS").command("log clear c" + std::to_string(c));
  }
  ASSERT_TRUE(
      wait_until([&] { return list_row_count(dialog, IDC_CLIENT_LIST) == kConverters; }, 5000));
  ASSERT_TRUE(close_dialog(dialog));

  const std::wstring folder = temp_folder(L"orv-e2e-side-by-side");
  HWND backup = open_dialog(app, IDM_FILE_BACKUP, L"バックアップ");
  SetDlgItemTextW(backup, IDE_FLEET_FOLDER, folder.c_str());
  click(backup, IDB_FLEET_RUN);
  EXPECT_TRUE(wait_until(
      [&] { return status_line(app) == L"バックアップ: 4 台完了、0 台スキップ、0 台失敗"; }, 30000))
      << status_line(app).size();
  double last_first = 0, first_last = 1e9;
  for (int c = 1; c <= kConverters; ++c) {
    const auto [first, last] = sim("TCP_CONVERTERS").first_and_last("c" + std::to_string(c));
    last_first = std::max(last_first, first);
    first_last = std::min(first_last, last);
    orv::DeviceSettings read;
    EXPECT_TRUE(read_settings(folder + L"\\127.0.1." + std::to_wstring(c) + L".dat",
                              orv::kModelOrvellan, read))
        << c;
  }
  EXPECT_LT(last_first, first_last) << "all began before any ended";
  ASSERT_TRUE(close_dialog(backup));
}

// A script on the gateway's raw port: one command after another, each
// reply read before the next, until told to stop.
class ScriptClient {
 public:
  explicit ScriptClient(int port) : thread_([this, port] { run(port); }) {}
  ~ScriptClient() { finish(); }
  void finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  int asked() const { return asked_; }
  const std::string& answers() const { return answers_; }

 private:
  void run(int port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    to.sin_port = htons(static_cast<u_short>(port));
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) return;
    const DWORD wait_ms = 3000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait_ms), sizeof wait_ms);
    while (!stop_) {
      if (send(s, "RCT05\r\n", 7, 0) != 7) break;
      ++asked_;
      for (char c = 0; c != '\n';) {
        if (recv(s, &c, 1, 0) != 1) return closesocket(s), void();
        answers_ += c;
      }
    }
    closesocket(s);
  }

  std::atomic<bool> stop_{false};
  int asked_ = 0;
  std::string answers_;
  std::thread thread_;
};

// The program as the TCP/IP client of the gateway's raw port: its dialogs
// and a read all go through the gateway while a script uses the same unit,
// and neither sees the other's replies.
TEST_F(Tcp, TheProgramThroughTheGatewayBesideAScript) {
  const int port = tcp_port("GATEWAY");
  App app(ini_with({"interface_set=1", "port_number=" + std::to_string(port), "reply_paced=1"}));
  connect_through_the_client_dialog(app);
  ScriptClient script(port);
  HWND read_all = open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み");
  EXPECT_EQ(run_to_the_end(app, read_all, "read_all_gateway").text, L"読み込みが完了しました");
  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  choose(titles, IDC_VALUE_LIST, 0);
  expect_success(app, titles, IDB_SET);
  ASSERT_TRUE(close_dialog(titles));
  script.finish();
  // How many depends on the machine's pace (18 on a busy one); a script shut
  // out while the program ran would have asked once or twice.
  EXPECT_GT(script.asked(), 5) << "the script kept asking meanwhile";
  int lines = 0;
  for (size_t at = 0; at < script.answers().size(); at = script.answers().find('\n', at) + 1) {
    ++lines;
    ASSERT_EQ(script.answers().compare(at, 4, "CT05"), 0) << "only its own replies";
  }
  EXPECT_GE(lines, script.asked() - 1);
  EXPECT_EQ(sim("GATEWAY_UNIT").value("get 00 RCTI")[3], 'F')
      << "the program's set reached the unit";
}

TEST_F(Tcp, AConverterDroppedDuringReadAllEndsItAndAReconnectWorks) {
  App app(client_ini());
  connect_through_the_client_dialog(app);

  HWND read_all = open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み");
  click(read_all, IDB_RUN);
  ASSERT_TRUE(wait_until([&] { return control_text(read_all, IDE_PERCENT) == L"5"; }, 20000));
  const auto dropped = std::chrono::steady_clock::now();
  sim("TCP_CONVERTER").command("drop tcp");
  // Dropped while a reply was awaited, or between two steps: noticed at once.
  const std::wstring ended = next_box(app, 8000).text;
  EXPECT_LT(ms_since(dropped), 1500);
  EXPECT_TRUE(ended == L"Answer が､きません" || ended == L"Socket が接続されていません") << ended;
  EXPECT_TRUE(wait_until([&] { return control_text(read_all, IDB_RUN) == L"読み込み"; }, 3000));
  EXPECT_EQ(status_line(app).rfind(L"コンバータが TCP/IP の接続を閉じました。", 0), 0u)
      << "then where the read stopped";
  ASSERT_TRUE(close_dialog(read_all));

  HWND dialog = open_client_dialog(app);
  EXPECT_FALSE(is_enabled(dialog, IDB_DISCONNECT)) << "the dialog knows the link is closed";
  click(dialog, IDB_CONNECT);
  EXPECT_EQ(next_box(app).text, L"Socket 接続 OK");
  ASSERT_TRUE(close_dialog(dialog));
  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  expect_success(app, titles, IDB_SET);
  ASSERT_TRUE(close_dialog(titles));

  // Paced by the replies over TCP/IP too, a reply lost on the way is asked
  // for again rather than ending the read.
  read_all = open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み");
  click(read_all, IDC_REPLY_PACED);
  sim("TCP_CONVERTER").command("fault silence 1 after 50");
  click(read_all, IDB_RUN);
  EXPECT_EQ(next_box(app, 30000).text, L"読み込みが完了しました");
}

}  // namespace
}  // namespace e2e
