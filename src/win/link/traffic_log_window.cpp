#include "win/link/traffic_log_window.h"

#include <windowsx.h>

#include <string>

#include "resource.h"
#include "settings_file/settings_file.h"
#include "win/base/dialog_common.h"
#include "win/base/dpi.h"
#include "win/base/file_dialog.h"
#include "win/base/timers_and_messages.h"
#include "win/base/window_places.h"
#include "win/link/traffic_log_window_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

struct TrafficLogWindow {
  Program& program;
  std::uint64_t shown = 0;  // lines of the log recorded when the list last took them
  TrafficLog& log() { return program.session.lines.traffic; }
  HWND list(HWND window) const { return GetDlgItem(window, IDC_TRAFFIC_LIST); }
};

void add_row(HWND list, const TrafficLine& line) {
  const std::wstring row = widen(format_traffic_line(line));
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
}

bool bottom_in_view(HWND list) {
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  RECT client{};
  GetClientRect(list, &client);
  const auto item = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  const auto top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  return item <= 0 || top + client.bottom / item >= count;
}

// Takes the lines recorded since the last look, in one repaint; the list
// follows the newest line unless the operator scrolled up to read.
void take_new_lines(TrafficLogWindow& w, HWND window) {
  const TrafficLog& log = w.log();
  const std::uint64_t fresh = log.recorded() - w.shown;
  if (fresh == 0) return;
  HWND list = w.list(window);
  const bool follow = bottom_in_view(list);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (fresh >= log.lines().size()) SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const size_t first = fresh >= log.lines().size() ? 0 : log.lines().size() - fresh;
  for (size_t i = first; i < log.lines().size(); ++i) add_row(list, log.lines()[i]);
  auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (; count > static_cast<LRESULT>(TrafficLog::kKeptLines); --count)
    SendMessageW(list, LB_DELETESTRING, 0, 0);
  if (follow) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  w.shown = log.recorded();
}

void clear(TrafficLogWindow& w, HWND window) {
  w.log().clear();
  w.shown = w.log().recorded();
  SendMessageW(w.list(window), LB_RESETCONTENT, 0, 0);
}

void save(TrafficLogWindow& w, HWND window) {
  const FileChoice choice = ask_for_file(window, L"通信ログの保存", L"txt", L"", true);
  if (choice.dialog_failed) return report_chooser_failure();
  if (choice.path.empty()) return;
  std::string error;
  if (!write_file_replacing(path_of(choice.path), format_traffic_log(w.log()), error))
    report_unwritable_file();
}

// The list takes the window's whole width and all the height above the buttons.
void lay_out(HWND window, int width, int height) {
  RECT button{};
  GetWindowRect(GetDlgItem(window, IDB_CLOSE), &button);
  const int button_height = button.bottom - button.top;
  const int button_width = button.right - button.left;
  const int margin = scaled(6, window_dpi(window));
  const int buttons_top = height - margin - button_height;
  MoveWindow(GetDlgItem(window, IDC_TRAFFIC_LIST), margin, margin, width - 2 * margin,
             buttons_top - 2 * margin, TRUE);
  const int columns[] = {margin, 2 * margin + button_width, width - margin - button_width};
  const int buttons[] = {IDB_TRAFFIC_SAVE, IDB_TRAFFIC_CLEAR, IDB_CLOSE};
  for (int i = 0; i < 3; ++i)
    MoveWindow(GetDlgItem(window, buttons[i]), columns[i], buttons_top, button_width, button_height,
               TRUE);
}

void on_init(TrafficLogWindow& w, HWND window) {
  // Time, direction, link, unit, line: tab stops in dialog units.
  const int stops[] = {56, 68, 128, 160};
  SendMessageW(w.list(window), LB_SETTABSTOPS, 4, reinterpret_cast<LPARAM>(stops));
  SendMessageW(w.list(window), LB_SETHORIZONTALEXTENT, 2400, 0);
  take_new_lines(w, window);
  SetTimer(window, kTrafficRefreshTimer.id, kTrafficRefreshTimer.period_ms, nullptr);
  restore_place_and_size(w.program, window, kTrafficLogPlace);
}

// False for a command the window leaves to the dialog manager.
bool on_command(TrafficLogWindow& w, HWND window, int id) {
  switch (id) {
    case IDB_TRAFFIC_SAVE:
      save(w, window);
      return true;
    case IDB_TRAFFIC_CLEAR:
      clear(w, window);
      return true;
    case IDB_CLOSE:
    case IDCANCEL:
      DestroyWindow(window);
      return true;
  }
  return false;
}

// The window owns its state: it goes with the window.
void on_destroy(TrafficLogWindow* w, HWND window) {
  KillTimer(window, kTrafficRefreshTimer.id);
  keep_place(w->program, window, kTrafficLogPlace);
  w->program.shell.traffic_window = nullptr;
  delete w;
  SetWindowLongPtrW(window, DWLP_USER, 0);
}

INT_PTR CALLBACK traffic_log_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* w = dialog_data<TrafficLogWindow>(window, message, lparam);
  if (!w) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*w, window);
      return TRUE;
    case WM_TIMER:
      if (wparam == kTrafficRefreshTimer.id) take_new_lines(*w, window);
      return TRUE;
    case WM_SIZE:
      lay_out(window, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return TRUE;
    case WM_COMMAND:
      return on_command(*w, window, LOWORD(wparam)) ? TRUE : FALSE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      on_destroy(w, window);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_traffic_log_window(Program& program) {
  if (program.shell.traffic_window) {
    ShowWindow(program.shell.traffic_window, SW_RESTORE);
    SetForegroundWindow(program.shell.traffic_window);
    return;
  }
  auto* state = new TrafficLogWindow{program};
  program.shell.traffic_window = CreateDialogParamW(
      program.shell.instance, MAKEINTRESOURCEW(IDD_TRAFFIC_LOG), program.shell.main_window,
      traffic_log_proc, reinterpret_cast<LPARAM>(state));
  if (!program.shell.traffic_window) {
    delete state;
    return;
  }
  SetWindowTextW(program.shell.traffic_window, L"通信ログ");
  ShowWindow(program.shell.traffic_window, SW_SHOW);
}

}  // namespace orv::win
