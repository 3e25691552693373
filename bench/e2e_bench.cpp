// Benchmarks of the program under Wine against the simulators, run on
// demand by scripts/bench_link.sh and scripts/bench_bulk.sh (never in CI):
// each records its figures as test properties, which the scripts print.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "fixture.h"
#include "resource.h"
#include "settings_files.h"
#include "win/bulk/fleet_dialog_res.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/link/communication_dialogs_res.h"
#include "win/link/traffic_log_window_res.h"

namespace e2e {
namespace {

using Bench = ProgramTest;

// Milliseconds since midnight of a traffic log row ("12:34:56.789\t→...").
long long row_time_ms(const std::wstring& row) {
  return ((std::stoll(row.substr(0, 2)) * 60 + std::stoll(row.substr(3, 2))) * 60 +
          std::stoll(row.substr(6, 2))) *
             1000 +
         std::stoll(row.substr(9, 3));
}

// The server listening, the first converter connecting to the 96th in the
// client list, and the program's memory with them all.
TEST_F(Bench, NinetySixConvertersAccepted) {
  App app(server_ini());
  HWND dialog = open_server_dialog(app);
  click(dialog, IDB_CONNECT);
  ASSERT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_DISCONNECT); }, 3000));
  sim("TCP_CONVERTERS").command("connect all");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_CLIENT_LIST) == 96; }, 30000));
  RecordProperty("accept_96_ms", std::to_string(ms_since(started)));
  PROCESS_MEMORY_COUNTERS memory{};
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.pid());
  if (process && GetProcessMemoryInfo(process, &memory, sizeof memory))
    RecordProperty("working_set_96_kb", std::to_string(memory.WorkingSetSize / 1024));
  if (process) CloseHandle(process);
  click(dialog, IDB_DISCONNECT);
}

// One title command over TCP/IP and its
// reply, two hundred times, as the traffic log times them.
TEST_F(Bench, RoundTripOfOneCommandOverTcp) {
  App app(client_ini());
  connect_through_the_client_dialog(app);
  post_command(app.main_window(), IDM_TRAFFIC_LOG);
  HWND log = wait_window(app.pid(), L"通信ログ");
  ASSERT_TRUE(log);
  HWND titles = open_dialog(app, IDM_TITLE_DISPLAY_INPUT, L"タイトル表示");
  for (int n = 0; n < 200; ++n) {
    click(titles, IDB_SET);
    ASSERT_EQ(next_box(app).text, L"Success");
  }
  ASSERT_TRUE(wait_until([&] { return list_row_count(log, IDC_TRAFFIC_LIST) >= 400; }, 3000));
  std::vector<long long> round_trips;
  long long sent_at = -1;
  for (int row = 0; row < list_row_count(log, IDC_TRAFFIC_LIST); ++row) {
    const std::wstring text = list_row_text(log, IDC_TRAFFIC_LIST, row);
    if (text.find(L"\t→\t") != std::wstring::npos) sent_at = row_time_ms(text);
    if (text.find(L"\t←\t") != std::wstring::npos && sent_at >= 0)
      round_trips.push_back(row_time_ms(text) - sent_at);
  }
  ASSERT_EQ(round_trips.size(), 200u);
  std::sort(round_trips.begin(), round_trips.end());
  RecordProperty("round_trip_median_ms", std::to_string(round_trips[100]));
  RecordProperty("round_trip_p99_ms", std::to_string(round_trips[197]));
  RecordProperty("round_trip_max_ms", std::to_string(round_trips[199]));
}

// A read-all without the traffic log,
// then one with the log open beside it listing every line.
TEST_F(Bench, ReadAllWithAndWithoutTheTrafficLog) {
  App app;
  for (const std::string run : {"read_all_log_closed", "read_all_log_open"}) {
    if (run == "read_all_log_open") {
      post_command(app.main_window(), IDM_TRAFFIC_LOG);
      ASSERT_TRUE(wait_window(app.pid(), L"通信ログ"));
    }
    HWND read_all = ProgramTest::open_dialog(app, IDM_READ_ALL, L"設定項目の読み込み  ");
    EXPECT_EQ(run_to_the_end(app, read_all, run.c_str()).text, L"読み込みが完了しました");
    EXPECT_TRUE(wait_until([&] { return !IsWindow(read_all); }, 3000));
  }
}

// Read all and set all of a factory TARQUINE (COM3), each paced by the
// replies: the wall time, and the span at the unit (its first command to
// its last in the simulator's log). The script counts the bytes both ways
// in the simulator's trace, split at each "log clear".
TEST_F(Bench, ReplyPacedReadAllAndSetAllOfATarquine) {
  App app(ini_with({"select_model=1", "com_port=2", "reply_paced=1"}));
  const auto unit_span_ms = [] {
    const std::string log = sim("COM3").command("log");
    const double first = std::stod(log.substr(0, log.find(' ')));
    const size_t last_line = log.rfind('\n', log.rfind("OK") - 2);
    const double last = std::stod(log.substr(last_line + 1));
    return static_cast<long long>((last - first) * 1000);
  };
  sim("COM3").command("factory");
  for (const auto& [menu, caption, run] :
       {std::tuple{IDM_READ_ALL, L"設定項目の読み込み  ", "read_all_paced"},
        std::tuple{IDM_SET_ALL, L"全項目の設定  ", "set_all_paced"}}) {
    sim("COM3").command("log clear");
    HWND dialog = ProgramTest::open_dialog(app, menu, caption);
    run_to_the_end(app, dialog, run);
    RecordProperty(std::string(run) + "_unit_ms", std::to_string(unit_span_ms()));
    EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 3000));
  }
  sim("COM3").command("log clear");
}

// "バックアップ…" over the TCP/IP server: one converter alone, then eight
// side by side, then all 96, each timed at the units (the first line any of
// them received to the last one), with the main window's longest answer
// meanwhile.
TEST_F(Bench, BackupOfTheServersConvertersSideBySide) {
  App app(server_ini());
  HWND dialog = open_server_dialog(app);
  click(dialog, IDB_CONNECT);
  ASSERT_TRUE(wait_until([&] { return is_enabled(dialog, IDB_DISCONNECT); }, 3000));
  ASSERT_TRUE(close_dialog(dialog));
  const std::wstring folder = temp_folder(L"orv-bench-fleet");
  long long one_unit_ms = 0;
  int connected = 0;
  for (const int count : {1, 8, 96}) {
    for (; connected < count; ++connected)
      sim("TCP_CONVERTERS").command("connect c" + std::to_string(connected + 1));
    dialog = open_server_dialog(app);
    ASSERT_TRUE(wait_until([&] { return list_row_count(dialog, IDC_CLIENT_LIST) == count; }, 30000));
    ASSERT_TRUE(close_dialog(dialog));
    for (int c = 1; c <= count; ++c) sim("TCP_CONVERTERS").command("log clear c" + std::to_string(c));
    HWND backup = open_dialog(app, IDM_FILE_BACKUP, L"バックアップ");
    SetDlgItemTextW(backup, IDE_FLEET_FOLDER, folder.c_str());
    const std::wstring done = L"バックアップ: " + std::to_wstring(count) + L" 台完了、0 台スキップ、0 台失敗";
    long long longest = 0;
    {
      ResponseProbe probe(app.main_window());
      click(backup, IDB_FLEET_RUN);
      ASSERT_TRUE(wait_until([&] { return status_line(app) == done; }, 1800000));
      longest = probe.longest_ms();
    }
    double first = 1e18, last = 0;
    for (int c = 1; c <= count; ++c) {
      const auto [begun, ended] = sim("TCP_CONVERTERS").first_and_last("c" + std::to_string(c));
      first = std::min(first, begun);
      last = std::max(last, ended);
    }
    const auto span_ms = static_cast<long long>((last - first) * 1000);
    if (count == 1) one_unit_ms = span_ms;
    const std::string name = "fleet_" + std::to_string(count);
    RecordProperty(name + "_units_ms", std::to_string(span_ms));
    RecordProperty(name + "_per_mille_of_one_unit",
                   std::to_string(one_unit_ms > 0 ? span_ms * 1000 / one_unit_ms : -1));
    RecordProperty(name + "_longest_window_answer_ms", std::to_string(longest));
    ASSERT_TRUE(close_dialog(backup));
  }
}

long long cpu_ms(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  FILETIME created{}, exited{}, kernel{}, user{};
  const bool read = process && GetProcessTimes(process, &created, &exited, &kernel, &user);
  if (process) CloseHandle(process);
  if (!read) return -1;
  const auto ticks = [](FILETIME t) {
    return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 10000;
}

// CPU time over `seconds` of wall time, in per mille of one core.
long long cpu_per_mille_over(DWORD pid, int seconds) {
  const long long before = cpu_ms(pid);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  return (cpu_ms(pid) - before) * 1000 / (seconds * 1000LL);
}

// The poll period over a minute, the CPU the program takes with the status
// window open, and with the main window only.
TEST_F(Bench, StatusPollsAndIdleCpu) {
  App app;
  HWND window = open_dialog(app, IDM_STATUS, L"入出力の状態");
  Sleep(2000);
  const size_t polls_before = sim("COM1").received().size();
  const long long open_cpu = cpu_per_mille_over(app.pid(), 60);
  const size_t polls = sim("COM1").received().size() - polls_before;
  ASSERT_GT(polls, 0u);
  RecordProperty("status_polls_60s", std::to_string(polls));
  RecordProperty("status_poll_interval_ms", std::to_string(60000 / polls));
  RecordProperty("status_open_cpu_per_mille", std::to_string(open_cpu));
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(window); }, 3000));
  RecordProperty("idle_cpu_per_mille", std::to_string(cpu_per_mille_over(app.pid(), 30)));
}

}  // namespace
}  // namespace e2e
