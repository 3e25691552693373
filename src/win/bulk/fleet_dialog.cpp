// The backup and restore dialog: the units in a list, one run a unit, each
// paced by the replies with the reply-paced runs' retries once the unit has
// answered (a silent address costs one time-out). The dialog reports every
// outcome in its row, so the main window's timer 1 leaves the exchange to it
// while it runs: no box stops a run of 32 units.
#include "win/bulk/fleet_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "bulk/bulk_run.h"
#include "bulk/fleet_files.h"
#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "link/framing.h"
#include "protocol/number_text.h"
#include "resource.h"
#include "settings_file/settings_file.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/text.h"
#include "win/base/timers_and_messages.h"
#include "win/bulk/fleet_dialog_res.h"

namespace orv::win {
namespace {

enum class Job { backup, restore };

// One unit: how the link reaches it, and its file.
struct Member {
  std::string name;  // "05", "127.0.1.57", "RS-232C"
  std::string file_name;
  int address = 0;  // RS-485
  int record = -1;  // the TCP/IP server's place
};

// The run's pace and time-out count (timer 1's period), and the tick a
// reply posts; the latter is never a real timer.
constexpr TimerSetting kFleetTimer{20, kTimer1PeriodMs};
constexpr UINT_PTR kFleetReplyTick = 21;

enum Column { kUnitColumn, kStateColumn, kPercentColumn };

struct FleetDialog {
  FleetDialog(Program& p, Job j) : program(p), job(j) {}

  Program& program;
  Job job;
  HWND window = nullptr;
  std::vector<Member> members;
  FilePath folder;
  size_t current = 0;
  bool running = false;
  bool answered = false;  // the unit running has answered once
  int last_step = 0;
  BulkRun run;
  DeviceSettings sent;  // restore: what goes to the unit running
  int counts[3] = {};   // done, skipped, failed
  int saved_address = 0;
  int saved_record = -1;

  Session& session() { return program.session; }
  Exchange& exchange() { return program.session.exchange; }
};

std::vector<Member> members_of(const Program& p) {
  const Configuration& c = p.session.config;
  std::vector<Member> members;
  if (c.addressed_serial()) {
    for (int a = 0; a < kBroadcastAddress; ++a)
      members.push_back({decimal_text(a, 2), bus_unit_file_name(a), a, -1});
  } else if (!c.serial_interface() && c.client_server == 1) {
    for (const TcpLink::Client& client : p.tcp.clients())
      members.push_back({client.address, converter_file_name(client.address), 0, client.record});
  } else if (!c.serial_interface()) {
    const std::string host =
        p.tcp.name_of(kClientConnection) + ":" + std::string(port_number(p.session));
    members.push_back({host, converter_file_name(host), 0, -1});
  } else {
    members.push_back({"RS-232C", "unit.dat", 0, -1});
  }
  return members;
}

void set_cell(FleetDialog& d, size_t row, int column, const std::wstring& text) {
  set_list_cell(GetDlgItem(d.window, IDC_FLEET_LIST), static_cast<int>(row), column, text);
}

void show_state(FleetDialog& d, const std::wstring& state, int percent = -1) {
  set_cell(d, d.current, kStateColumn, state);
  set_cell(d, d.current, kPercentColumn, percent < 0 ? L"" : std::to_wstring(percent));
}

void fill_list(FleetDialog& d) {
  HWND list = GetDlgItem(d.window, IDC_FLEET_LIST);
  add_list_columns(list, {{L"機器", 110}, {L"状態", 260}, {L"%", 50}});
  for (size_t row = 0; row < d.members.size(); ++row) {
    add_list_row(list, widen(d.members[row].name));
    set_cell(d, row, kStateColumn, L"待機");
  }
}

void lock(FleetDialog& d, bool locked) {
  for (int control : {IDE_FLEET_FOLDER, IDB_FLEET_BROWSE, IDB_CLOSE})
    EnableWindow(GetDlgItem(d.window, control), !locked);
  SetDlgItemTextW(d.window, IDB_FLEET_RUN, locked ? L"キャンセル" : L"開始");
}

// The unit's address or place becomes the one commands go to.
void aim_at(FleetDialog& d, const Member& m) {
  if (d.session().config.addressed_serial()) d.session().slaveAddress = m.address;
  if (m.record >= 0) d.program.tcp.pick(m.record);
}

std::wstring job_name(const FleetDialog& d) {
  return d.job == Job::backup ? L"バックアップ" : L"リストア";
}

void finish(FleetDialog& d) {
  KillTimer(d.window, kFleetTimer.id);
  d.running = false;
  d.program.reply_paced_run = {};
  d.session().fleet_run_active = false;
  d.session().reading.reset();  // a unit that could not start leaves no copy behind
  d.session().slaveAddress = d.saved_address;
  if (d.saved_record >= 0) d.program.tcp.pick(d.saved_record);
  lock(d, false);
  note_in_status_line(d.program, job_name(d) + L": " + std::to_wstring(d.counts[0]) + L" 台完了、" +
                                     std::to_wstring(d.counts[1]) + L" 台スキップ、" +
                                     std::to_wstring(d.counts[2]) + L" 台失敗");
}

void step(FleetDialog& d);

// Starts the next unit that can run; the run ends after the last.
void begin_next_member(FleetDialog& d) {
  for (; d.current < d.members.size(); ++d.current) {
    const Member& m = d.members[d.current];
    const int model = d.session().settings.model;
    BulkRun::StepSource source;
    int steps = 0;
    if (d.job == Job::restore) {
      const FilePath file = d.folder / m.file_name;
      if (!file_exists(file)) {
        show_state(d, L"ファイルなし（スキップ）");
        ++d.counts[1];
        continue;
      }
      SettingsFileError error;
      d.sent = settings_for_model(model);
      if (!load_settings_file(file, d.sent, error)) {
        show_state(d, L"失敗: " + widen(error.reason));
        ++d.counts[2];
        continue;
      }
      steps = set_all_step_count(d.sent);
      source = [&d](int s) { return set_all_step(s, d.sent); };
    } else {
      d.session().reading = settings_for_model(model);
      const int inputs = d.session().reading->inputCount;
      steps = read_all_step_count(inputs);
      source = [inputs](int s) { return read_all_step(s, inputs); };
    }
    aim_at(d, m);
    note_in_status_line(d.program, job_name(d) + L": " + widen(m.name) + L" （" +
                                       std::to_wstring(d.current + 1) + L"/" +
                                       std::to_wstring(d.members.size()) + L"）");
    d.answered = false;
    d.last_step = 0;
    if (!d.run.start(d.exchange(), steps, std::move(source))) break;
    d.exchange().set_retries(0);  // until the unit has answered once
    show_state(d, L"実行中", 0);
    return step(d);
  }
  finish(d);
}

void end_member(FleetDialog& d, bool completed, const std::wstring& failure) {
  d.run.abandon(d.exchange());
  std::wstring state = completed ? L"完了" : failure;
  int counted = completed ? 0 : 2;
  if (!completed && d.last_step <= 1 && !d.answered) {
    state = L"応答なし（スキップ）";
    counted = 1;
  }
  if (completed && d.job == Job::backup) {
    std::string error;
    if (!save_settings_file(d.folder / d.members[d.current].file_name, *d.session().reading,
                            error)) {
      state = L"失敗: " + widen(error);
      counted = 2;
    }
  }
  d.session().reading.reset();
  show_state(d, state, counted == 0 ? 100 : -1);
  ++d.counts[counted];
  ++d.current;
  begin_next_member(d);
}

// Sends the next step when the last reply is in; a condition, a refusal or
// the time-out ends the unit.
void step(FleetDialog& d) {
  if (!d.running || d.current >= d.members.size()) return;
  Exchange& x = d.exchange();
  if (x.condition_pending()) {
    const std::string_view text = condition_text(x.result_code());
    x.condition_reported();
    return end_member(d, false, L"失敗: " + widen(text));
  }
  const BulkRun::Tick tick = d.run.tick(x);
  switch (tick.kind) {
    case BulkRun::Tick::Kind::wait:
      return;
    case BulkRun::Tick::Kind::send:
      d.last_step = d.run.step();
      send_to_unit(d.program, tick.step.command);
      show_state(d, L"実行中", d.run.percent());
      return;
    case BulkRun::Tick::Kind::ended:
      return end_member(d, tick.completed, L"失敗: No Connect");
  }
}

// Timer 1's part while the run is on: the time-out count, and a late
// reply's retry.
void on_pace(FleetDialog& d) {
  if (d.exchange().tick() == WaitTick::try_again) return send_again(d.program);
  step(d);
}

// A reply ended the wait: the unit answers, so its commands may be retried.
void on_reply(FleetDialog& d) {
  if (!d.answered && d.running) {
    d.answered = true;
    d.exchange().set_retries(d.session().config.reply_retries);
  }
  step(d);
}

std::wstring folder_text(const FleetDialog& d) {
  wchar_t text[MAX_PATH]{};
  GetDlgItemTextW(d.window, IDE_FLEET_FOLDER, text, MAX_PATH);
  return text;
}

bool take_folder(FleetDialog& d) {
  const std::wstring text = folder_text(d);
  if (text.empty()) {
    show_box(error_box("フォルダを指定してください。"));
    return false;
  }
  d.folder = path_of(text);
  if (d.job == Job::restore) return true;
  std::string error;
  if (!make_folders(d.folder, error) || !can_write_beside(d.folder / "unit-00.dat", error)) {
    show_box(error_box(error));
    return false;
  }
  return true;
}

void start(FleetDialog& d) {
  if (d.members.empty() || d.exchange().awaiting_reply() || !take_folder(d)) return;
  d.saved_address = d.session().slaveAddress;
  d.saved_record = d.program.tcp.selected_record();
  d.current = 0;
  for (int& count : d.counts) count = 0;
  for (size_t row = 0; row < d.members.size(); ++row) set_cell(d, row, kStateColumn, L"待機");
  d.running = true;
  d.session().fleet_run_active = true;
  d.program.reply_paced_run = Program::PacedRun{d.window, kFleetReplyTick};
  lock(d, true);
  SetTimer(d.window, kFleetTimer.id, kFleetTimer.period_ms, nullptr);
  begin_next_member(d);
}

void cancel(FleetDialog& d) {
  if (!d.running) return;
  d.run.abandon(d.exchange());
  d.session().reading.reset();
  for (size_t row = d.current; row < d.members.size(); ++row)
    set_cell(d, row, kStateColumn, L"中止");
  d.current = d.members.size();
  finish(d);
}

void browse(FleetDialog& d) {
  BROWSEINFOW info{};
  info.hwndOwner = d.window;
  info.lpszTitle = L"設定ファイルのフォルダ";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return;
  wchar_t path[MAX_PATH]{};
  if (SHGetPathFromIDListW(chosen, path)) SetDlgItemTextW(d.window, IDE_FLEET_FOLDER, path);
  CoTaskMemFree(chosen);
}

void on_init(FleetDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  SetWindowTextW(dialog, job_name(d).c_str());
  d.members = members_of(d.program);
  fill_list(d);
  const FilePath file(d.session().settings.settingsFilePath);
  if (!file.empty()) SetDlgItemTextW(dialog, IDE_FLEET_FOLDER, widen(file.folder()).c_str());
}

void close(FleetDialog& d) {
  cancel(d);
  end_dialog(d.program, d.window, IDB_CLOSE);
}

INT_PTR CALLBACK fleet_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<FleetDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_TIMER:
      if (wparam == kFleetTimer.id) on_pace(*d);
      if (wparam == kFleetReplyTick) on_reply(*d);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDB_FLEET_RUN:
          d->running ? cancel(*d) : start(*d);
          return TRUE;
        case IDB_FLEET_BROWSE:
          browse(*d);
          return TRUE;
        case IDB_CLOSE:
        case IDCANCEL:
          close(*d);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      close(*d);
      return TRUE;
    default:
      return FALSE;
  }
}

void open_fleet_dialog(Program& program, Job job) {
  FleetDialog dialog(program, job);
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_FLEET), program.main_window, fleet_proc,
                  reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace

void open_backup_dialog(Program& program) {
  open_fleet_dialog(program, Job::backup);
}

void open_restore_dialog(Program& program) {
  open_fleet_dialog(program, Job::restore);
}

}  // namespace orv::win
