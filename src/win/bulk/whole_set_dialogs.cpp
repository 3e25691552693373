#include "win/bulk/whole_set_dialogs.h"

#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "resource.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/bulk/whole_set_dialogs_res.h"

namespace orv::win {
namespace {

// What tells reading all from setting all: the rest of the two dialogs is
// one shape (a run button, the percentage, the bar, the slave address list).
struct WholeSetKind {
  int dialog_id;
  const char* caption;
  TimerSetting timer;
  const char* idle_label;
  const char* done_text;
  bool reads;  // reads the unit into the settings (Broadcast refused, the set made dirty)
};

const WholeSetKind kReadAll{IDD_READ_ALL, "設定項目の読み込み  ",   kReadAllTimer,
                            "読み込み",   "読み込みが完了しました", true};
const WholeSetKind kSetAll{IDD_SET_ALL, "全項目の設定  ",     kSetAllTimer,
                           "設定",      "設定が完了しました", false};

struct WholeSetDialog {
  WholeSetDialog(Program& p, const WholeSetKind& k)
      : program(p),
        kind(k),
        inputs(p.session.document.settings.inputCount),
        run(p,
            {.timer = k.timer,
             .button = IDB_RUN,
             .idle_label = k.idle_label,
             .percent_edit = IDE_PERCENT,
             .progress_bar = IDC_PROGRESS,
             .locked = {IDB_CLOSE},
             .reads_whole = k.reads,
             .reply_paced_check = IDC_REPLY_PACED},
            [this](bool completed) { finish(completed); }) {}

  // A read leaves the settings different from the file in use.
  void finish(bool completed) {
    if (!completed) return;
    if (kind.reads) program.session.document.settings.settingsDirty = 1;
    show_box(MessageBoxRequest{BoxKind::connected, kind.done_text, "接続成功"});
    end_dialog(program, window, IDOK);
  }

  // With Broadcast nobody answers, so a read would read nothing. A set
  // builds each step from the settings as they are when it goes out (the
  // dialog is modal: nothing edits them meanwhile).
  void start_or_cancel() {
    if (kind.reads) {
      if (!run.running() && refuse_broadcast(program)) return;
      run.press(read_all_step_count(inputs),
                [n = inputs](int step) { return read_all_step(step, n); });
      return;
    }
    const DeviceSettings& settings = program.session.document.settings;
    run.press(set_all_step_count(settings),
              [&settings](int step) { return set_all_step(step, settings); });
  }

  Program& program;
  const WholeSetKind& kind;
  int inputs;  // a read's step table is fixed when the dialog opens
  BulkRunBinding run;
  HWND window = nullptr;
};

void on_init(WholeSetDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, d.kind.caption);
  fill_slave_address_list(d.program, dialog);
  enable_slave_address_list_by_link(d.program, dialog);
  d.run.attach(dialog);
}

void close(WholeSetDialog& d, HWND dialog) {
  d.run.abandon();
  end_dialog(d.program, dialog, IDB_CLOSE);
}

// Enter and Escape do nothing.
void on_command(WholeSetDialog& d, HWND dialog, int id, int notification) {
  switch (id) {
    case IDB_RUN:
      return d.start_or_cancel();
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) take_slave_address(d.program, dialog);
      return;
    case IDB_CLOSE:
      return close(d, dialog);
  }
}

INT_PTR CALLBACK whole_set_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<WholeSetDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_TIMER:
      return d->run.on_timer(wparam) ? TRUE : FALSE;
    case WM_APP_RUN_SETTLED:
      return d->run.on_settled() ? TRUE : FALSE;
    case WM_CLOSE:
      close(*d, dialog);
      return TRUE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

void open_whole_set_dialog(Program& program, const WholeSetKind& kind) {
  WholeSetDialog dialog(program, kind);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(kind.dialog_id),
                  program.shell.main_window, whole_set_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace

void open_read_all_dialog(Program& program) {
  open_whole_set_dialog(program, kReadAll);
}
void open_set_all_dialog(Program& program) {
  open_whole_set_dialog(program, kSetAll);
}

}  // namespace orv::win
