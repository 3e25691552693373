// The comparison window: every setting the settings in hand hold differently
// from a settings file (as the command line's diff compares them) or from
// what the unit gives back to a read all (read into a copy, compared as
// set-all --verify compares: only what a read all brings back). Nothing in
// hand changes either way.
#include "win/bulk/compare_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "bulk/read_all_steps.h"
#include "resource.h"
#include "settings_file/settings_diff.h"
#include "settings_file/settings_file.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/file_dialog.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/bulk/compare_dialog_res.h"
#include "win/bulk/whole_set_dialogs_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

// One row as shown and as copied.
struct ShownDifference {
  std::wstring group;  // the field ("titles", "screenPatterns")
  std::wstring where;  // channel or pattern ("ch.05", "OP12 ch.03"); empty for one value
  std::wstring here;   // in the settings in hand
  std::wstring there;  // in the file or the unit
};

constexpr wchar_t kMasked[] = L"********";

std::wstring shown_value(const SettingDifference& d, const std::string& value) {
  if (d.name == "password") return kMasked;
  if (d.name.rfind("titles ", 0) == 0) {  // as the unit shows it, without the padding
    std::wstring title = from_shift_jis(value);
    title.erase(title.find_last_not_of(L'\u3000') + 1);
    return L"「" + title + L"」";
  }
  return widen(value);
}

std::vector<ShownDifference> shown(const std::vector<SettingDifference>& differences) {
  std::vector<ShownDifference> rows;
  for (const SettingDifference& d : differences) {
    const size_t space = d.name.find(' ');
    rows.push_back({widen(d.name.substr(0, space)),
                    space == std::string::npos ? L"" : widen(d.name.substr(space + 1)),
                    shown_value(d, d.left), shown_value(d, d.right)});
  }
  return rows;
}

struct CompareDialog {
  CompareDialog(Program& p, bool with_unit, std::wstring what)
      : program(p),
        with_unit(with_unit),
        what(std::move(what)),
        inputs(p.session.document.settings.inputCount),
        run(p,
            {.timer = kReadAllTimer,
             .button = IDB_RUN,
             .idle_label = "読み込み",
             .percent_edit = IDE_PERCENT,
             .progress_bar = IDC_PROGRESS,
             .locked = {IDB_CLOSE, IDB_COMPARE_COPY},
             .lock_slave_list = false,
             .reads_aside = true,
             .reply_paced_check = IDC_REPLY_PACED},
            [this](bool completed) { unit_read(completed); }) {}

  void unit_read(bool completed);

  Program& program;
  bool with_unit;
  std::wstring what;  // the file's path, or the unit's name
  int inputs;
  BulkRunBinding run;
  HWND window = nullptr;
  std::vector<SettingDifference> from_file;  // the file's differences, found before the window
  std::vector<ShownDifference> rows;
};

void set_summary(CompareDialog& d, const std::wstring& text) {
  SetDlgItemTextW(d.window, IDS_COMPARE_SUMMARY, text.c_str());
}

void add_columns(CompareDialog& d) {
  add_list_columns(GetDlgItem(d.window, IDC_COMPARE_LIST),
                   {{L"項目", 130},
                    {L"チャンネル・パターン", 120},
                    {L"ここの値", 140},
                    {d.with_unit ? L"機器の値" : L"ファイルの値", 140}});
}

void show_differences(CompareDialog& d, const std::vector<SettingDifference>& differences) {
  d.rows = shown(differences);
  HWND list = GetDlgItem(d.window, IDC_COMPARE_LIST);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t r = 0; r < d.rows.size(); ++r) {
    const int row = static_cast<int>(r);
    add_list_row(list, d.rows[r].group);
    set_list_cell(list, row, 1, d.rows[r].where);
    set_list_cell(list, row, 2, d.rows[r].here);
    set_list_cell(list, row, 3, d.rows[r].there);
  }
  set_summary(d, d.rows.empty() ? L"相違点はありません。"
                                : L"相違点: " + std::to_wstring(d.rows.size()) + L" 件");
  EnableWindow(GetDlgItem(d.window, IDB_COMPARE_COPY), !d.rows.empty());
}

void CompareDialog::unit_read(bool completed) {
  if (!completed || !run.read_aside()) return set_summary(*this, L"読み込みは完了しませんでした。");
  show_differences(*this, settings_differences(program.session.document.settings, *run.read_aside(),
                                               Compared::what_a_unit_gives_back));
}

// The list as tab-separated text, headed by what was compared.
std::wstring list_text(const CompareDialog& d) {
  std::wstring text = L"ここの設定と" + d.what + L"の相違点\r\n";
  text += L"項目\tチャンネル・パターン\tここの値\t";
  text += d.with_unit ? L"機器の値\r\n" : L"ファイルの値\r\n";
  for (const ShownDifference& row : d.rows)
    text += row.group + L"\t" + row.where + L"\t" + row.here + L"\t" + row.there + L"\r\n";
  return text;
}

void copy_list(CompareDialog& d) {
  const std::wstring text = list_text(d);
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return;
  std::memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  if (OpenClipboard(d.window)) {
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory)) memory = nullptr;  // the clipboard owns it
    CloseClipboard();
  }
  if (memory) GlobalFree(memory);
}

void start_read(CompareDialog& d) {
  if (!d.run.running() && refuse_broadcast(d.program)) return;
  set_summary(d, L"機器から読み込んでいます…");
  d.run.press(read_all_step_count(d.inputs),
              [n = d.inputs](int step) { return read_all_step(step, n); });
}

// Without a unit the run's controls are not there at all.
void hide_run_controls(CompareDialog& d) {
  for (int id : {IDC_REPLY_PACED, IDC_PROGRESS, IDE_PERCENT, IDS_COMPARE_PERCENT_SIGN, IDB_RUN})
    ShowWindow(GetDlgItem(d.window, id), SW_HIDE);
}

void on_init(CompareDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  if (d.with_unit)
    set_caption_with_path(d.program, dialog, "機器と比較  ");  // the settings in hand
  else
    SetWindowTextW(dialog, (L"ファイルと比較  " + d.what).c_str());
  add_columns(d);
  d.run.attach(dialog);
  EnableWindow(GetDlgItem(dialog, IDB_COMPARE_COPY), FALSE);
  if (d.with_unit) {
    PostMessageW(dialog, WM_COMMAND, IDB_RUN, 0);  // the read starts as the window opens
    return;
  }
  hide_run_controls(d);
  show_differences(d, d.from_file);
}

void close(CompareDialog& d) {
  d.run.abandon();
  end_dialog(d.program, d.window, IDB_CLOSE);
}

INT_PTR CALLBACK compare_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<CompareDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_TIMER:
      return d->run.on_timer(wparam);
    case WM_APP_RUN_SETTLED:
      return d->run.on_settled();
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDB_RUN:
          start_read(*d);
          return TRUE;
        case IDB_COMPARE_COPY:
          copy_list(*d);
          return TRUE;
        case IDB_CLOSE:
        case IDCANCEL:
          if (!d->run.running()) close(*d);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (!d->run.running()) close(*d);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR open_compare_dialog(CompareDialog& dialog) {
  return DialogBoxParamW(dialog.program.shell.instance, MAKEINTRESOURCEW(IDD_COMPARE),
                         dialog.program.shell.main_window, compare_proc,
                         reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace

void open_compare_with_file(Program& program) {
  const FileChoice choice =
      ask_for_file(program.shell.main_window, L"ファイルと比較", L"dat",
                   widen(program.session.document.settings.settingsFilePath), false);
  if (choice.dialog_failed) return report_chooser_failure();
  if (choice.path.empty()) return;
  DeviceSettings file = settings_for_model(program.session.document.settings.model);
  SettingsFileError error;
  if (!load_settings_file(path_of(choice.path), file, error)) {
    if (error.kind == SettingsFileError::Kind::unreadable) return report_missing_file();
    const std::wstring where = error.kind == SettingsFileError::Kind::too_large
                                   ? kTooLargeFile
                                   : std::to_wstring(error.line) + L" 行目";
    return report_damaged_file(L"設定ファイルが壊れているため比較できませんでした。",
                               choice.path + L"\n" + where);
  }
  CompareDialog dialog(program, false, choice.path);
  dialog.from_file =
      settings_differences(program.session.document.settings, file, Compared::whole_file);
  open_compare_dialog(dialog);
}

void open_compare_with_unit(Program& program) {
  CompareDialog dialog(program, true, L"機器");
  open_compare_dialog(dialog);
}

}  // namespace orv::win
