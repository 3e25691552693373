// The backup and restore dialog: the units in a list, one run a unit on
// the run engine, each paced by its replies with the reply-paced runs'
// retries once the unit has answered (a silent address costs one
// time-out). The converters of the TCP/IP server run all at once, each on
// its own place's conversation, their rows filling side by side; an RS-485
// bus (one line), RS-232C and the client's one converter go one unit after
// another. Every outcome goes to the unit's row, not to a box: no box stops
// a run of 96 units, and the operator's own exchange is left alone.
#include "win/bulk/fleet_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/link_handling.h"
#include "bulk/bulk_run.h"
#include "bulk/fleet_files.h"
#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "link/framing.h"
#include "link/reply_roads.h"
#include "protocol/number_text.h"
#include "resource.h"
#include "settings_file/settings_file.h"
#include "win/base/dialog_common.h"
#include "win/base/link_pump.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/bulk/fleet_dialog_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

enum class Job { backup, restore };

// Requester numbers of the units' runs, far from the operator's.
constexpr RequesterId kFirstMember = 1000;

enum Column { kUnitColumn, kStateColumn, kPercentColumn };

// One unit: how the link reaches it, its file, and its run with the
// exchange and settings its replies go to.
struct Member : Requester {
  std::string name;  // "05", "127.0.1.57", "RS-232C"
  std::string file_name;
  Connection connection;
  int address = 0;  // RS-485
  RequesterId id = 0;
  BulkRun run;
  Exchange exchange;
  DeviceSettings data;  // backup: what is read; restore: what goes to the unit
  std::string glyph_code;
  std::wstring failure;  // what the link reported, for the row
  int last_step = 0;
  int shown_percent = -1;
  bool running = false;
  bool answered = false;  // the unit answered a step of its run

  ReplyRoad road() const {
    return connection.kind == Connection::Kind::serial ? ReplyRoad::serial : ReplyRoad::socket;
  }
  void settled(const Settled& settled) override {
    ReplyTarget target{data, glyph_code, nullptr, false, {}};
    const DispatchResult result = take_settled(exchange, target, road(), settled);
    if (!result.failure.empty()) failure = widen(result.failure);
  }
};

struct FleetDialog {
  FleetDialog(Program& p, Job j) : program(p), job(j) {}

  Program& program;
  Job job;
  HWND window = nullptr;
  std::vector<std::unique_ptr<Member>> members;
  FilePath folder;
  size_t next = 0;            // the next unit to start
  bool side_by_side = false;  // the TCP/IP server: every unit at once
  bool running = false;
  int counts[3] = {};  // done, skipped, failed

  Session& session() { return program.session; }
};

std::unique_ptr<Member> member(std::string name, std::string file_name, Connection connection,
                               int address = 0) {
  auto m = std::make_unique<Member>();
  m->name = std::move(name);
  m->file_name = std::move(file_name);
  m->connection = connection;
  m->address = address;
  return m;
}

void fill_members(FleetDialog& d) {
  const Session& s = d.session();
  const Configuration& c = s.config;
  if (c.addressed_serial()) {
    for (int a = 0; a < kBroadcastAddress; ++a)
      d.members.push_back(
          member(decimal_text(a, 2), bus_unit_file_name(a), Connection::serial_line(), a));
  } else if (!c.serial_interface() && c.client_server == 1) {
    d.side_by_side = true;
    for (const ServerPlaces::Held& held : s.lines.server.held())
      d.members.push_back(member(held.address, converter_file_name(held.address),
                                 Connection::server_place(held.place)));
  } else if (!c.serial_interface()) {
    const std::string host =
        d.program.links.client.name() + ":" + std::string(port_number(d.session()));
    d.members.push_back(member(host, converter_file_name(host), Connection::client()));
  } else {
    d.members.push_back(member("RS-232C", "unit.dat", Connection::serial_line()));
  }
  for (size_t i = 0; i < d.members.size(); ++i)
    d.members[i]->id = kFirstMember + static_cast<RequesterId>(i);
}

size_t row_of(const Member& m) {
  return static_cast<size_t>(m.id - kFirstMember);
}

void set_cell(FleetDialog& d, size_t row, int column, const std::wstring& text) {
  set_list_cell(GetDlgItem(d.window, IDC_FLEET_LIST), static_cast<int>(row), column, text);
}

void show_state(FleetDialog& d, Member& m, const std::wstring& state, int percent = -1) {
  set_cell(d, row_of(m), kStateColumn, state);
  set_cell(d, row_of(m), kPercentColumn, percent < 0 ? L"" : std::to_wstring(percent));
  m.shown_percent = percent;
}

void fill_list(FleetDialog& d) {
  HWND list = GetDlgItem(d.window, IDC_FLEET_LIST);
  add_list_columns(list, {{L"機器", 110}, {L"状態", 260}, {L"%", 50}});
  for (const auto& m : d.members) {
    add_list_row(list, widen(m->name));
    set_cell(d, row_of(*m), kStateColumn, L"待機");
  }
}

void lock(FleetDialog& d, bool locked) {
  for (int control : {IDE_FLEET_FOLDER, IDB_FLEET_BROWSE, IDB_CLOSE})
    EnableWindow(GetDlgItem(d.window, control), !locked);
  SetDlgItemTextW(d.window, IDB_FLEET_RUN, locked ? L"キャンセル" : L"開始");
}

std::wstring job_name(const FleetDialog& d) {
  return d.job == Job::backup ? L"バックアップ" : L"リストア";
}

// The unit's run goes no further: its requests are dropped and its answers
// go to nobody.
void release(FleetDialog& d, Member& m) {
  m.running = false;
  m.run.abandon(m.exchange);
  d.session().lines.conversation_of(m.connection)->cancel(m.id);
  d.session().requesters.erase(m.id);
  d.program.links.woken_on_settle.erase(m.id);
}

bool any_running(const FleetDialog& d) {
  for (const auto& m : d.members)
    if (m->running) return true;
  return false;
}

void finish(FleetDialog& d) {
  d.running = false;
  lock(d, false);
  note_in_status_line(d.program, job_name(d) + L": " + std::to_wstring(d.counts[0]) + L" 台完了、" +
                                     std::to_wstring(d.counts[1]) + L" 台スキップ、" +
                                     std::to_wstring(d.counts[2]) + L" 台失敗");
}

void step(FleetDialog& d, Member& m);
void start_next(FleetDialog& d);

// What the unit's run sends and stores, or false (counted, with its row
// saying why) when it cannot start.
bool plan_run(FleetDialog& d, Member& m, BulkRun::Plan& plan) {
  const int model = d.session().document.settings.model;
  m.data = settings_for_model(model);
  plan.retries = d.session().config.reply_retries;
  plan.ends_on_condition = true;
  if (d.job == Job::backup) {
    const int inputs = m.data.inputCount;
    plan.steps = read_all_step_count(inputs);
    plan.source = [inputs](int s) { return read_all_step(s, inputs); };
    return true;
  }
  const FilePath file = d.folder / m.file_name;
  if (!file_exists(file)) {
    show_state(d, m, L"ファイルなし（スキップ）");
    ++d.counts[1];
    return false;
  }
  SettingsFileError error;
  if (!load_settings_file(file, m.data, error)) {
    show_state(d, m, L"失敗: " + widen(error.reason));
    ++d.counts[2];
    return false;
  }
  plan.steps = set_all_step_count(m.data);
  const DeviceSettings* sent = &m.data;
  plan.source = [sent](int s) { return set_all_step(s, *sent); };
  return true;
}

// Starts the unit's run; false when it could not start.
bool start_member(FleetDialog& d, Member& m) {
  BulkRun::Plan plan;
  if (!plan_run(d, m, plan)) return false;
  m.exchange = Exchange{};
  m.failure.clear();
  m.last_step = 0;
  m.answered = false;
  if (!m.run.start(m.exchange, std::move(plan))) return false;
  m.running = true;
  if (!d.side_by_side)
    note_in_status_line(d.program, job_name(d) + L": " + widen(m.name) + L" （" +
                                       std::to_wstring(row_of(m) + 1) + L"/" +
                                       std::to_wstring(d.members.size()) + L"）");
  d.session().requesters[m.id] = &m;
  d.program.links.woken_on_settle[m.id] = d.window;
  show_state(d, m, L"実行中", 0);
  step(d, m);
  return true;
}

// The next units that can run: all at once on the server, else one.
void start_next(FleetDialog& d) {
  while (d.running && d.next < d.members.size()) {
    Member& m = *d.members[d.next++];
    if (start_member(d, m) && !d.side_by_side) return;
  }
  if (d.running && !any_running(d)) finish(d);
}

void end_member(FleetDialog& d, Member& m, bool completed, const std::wstring& failure) {
  const bool silent = !completed && m.last_step <= 1 && !m.answered;
  release(d, m);
  std::wstring state = completed ? L"完了" : failure;
  int counted = completed ? 0 : 2;
  if (silent) {
    state = L"応答なし（スキップ）";
    counted = 1;
  }
  if (completed && d.job == Job::backup) {
    std::string error;
    if (!save_settings_file(d.folder / m.file_name, m.data, error)) {
      state = L"失敗: " + widen(error);
      counted = 2;
    }
  }
  show_state(d, m, state, counted == 0 ? 100 : -1);
  ++d.counts[counted];
  start_next(d);
}

// Sends the unit's next step when its last reply is in; a condition, a
// refusal or a failed link ends its run.
void step(FleetDialog& d, Member& m) {
  if (!m.running) return;
  const BulkRun::Tick tick = m.run.tick(m.exchange);
  switch (tick.kind) {
    case BulkRun::Tick::Kind::wait:
      return;
    case BulkRun::Tick::Kind::send: {
      m.last_step = m.run.step();
      const Asking asking{m.id, Priority::run_step, m.run.retries_now(), d.session().lines.clock};
      show_effects(d.program, ask_on(d.session(), m.connection, m.address, tick.step.command,
                                     asking, m.exchange));
      if (m.run.percent() != m.shown_percent) show_state(d, m, L"実行中", m.run.percent());
      return;
    }
    case BulkRun::Tick::Kind::ended: {
      std::wstring why = L"失敗: " + (m.failure.empty() ? L"No Connect" : m.failure);
      if (tick.condition != ResultCode::none)
        why = L"失敗: " + widen(condition_text(tick.condition));
      return end_member(d, m, tick.completed, why);
    }
  }
}

// One of the units' commands settled: that unit's run goes on.
void on_settled(FleetDialog& d, RequesterId id) {
  const size_t row = static_cast<size_t>(id - kFirstMember);
  if (row >= d.members.size()) return;
  Member& m = *d.members[row];
  if (!m.running) return;
  if (!m.exchange.send_failed() && m.exchange.result_code() != ResultCode::reported) {
    m.answered = true;
    m.run.answered();
  }
  step(d, m);
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
  if (d.members.empty() || d.running || !take_folder(d)) return;
  d.next = 0;
  for (int& count : d.counts) count = 0;
  for (const auto& m : d.members) set_cell(d, row_of(*m), kStateColumn, L"待機");
  d.running = true;
  lock(d, true);
  start_next(d);
}

void cancel(FleetDialog& d) {
  if (!d.running) return;
  for (const auto& m : d.members) {
    if (!m->running && row_of(*m) < d.next) continue;
    if (m->running) release(d, *m);
    set_cell(d, row_of(*m), kStateColumn, L"中止");
  }
  d.next = d.members.size();
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
  fill_members(d);
  fill_list(d);
  const FilePath file(d.session().document.settings.settingsFilePath);
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
    case WM_APP_RUN_SETTLED:
      on_settled(*d, static_cast<RequesterId>(wparam));
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
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_FLEET), program.shell.main_window,
                  fleet_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace

void open_backup_dialog(Program& program) {
  open_fleet_dialog(program, Job::backup);
}

void open_restore_dialog(Program& program) {
  open_fleet_dialog(program, Job::restore);
}

}  // namespace orv::win
