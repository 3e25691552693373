#include "bulk/read_all_dialog.h"

#include "app/message_boxes_win.h"
#include "app/timers_and_messages_win.h"
#include "bulk/bulk_run_dialog_res.h"
#include "bulk/bulk_run_win.h"
#include "bulk/read_all_steps.h"
#include "dialogs/dialog_common_win.h"
#include "resource.h"

namespace orv::win {
namespace {

struct ReadAllDialog {
  explicit ReadAllDialog(Program& p)
      : program(p),
        inputs(p.session.settings.inputCount),
        run(p, {kReadAllTimer, IDB_RUN, "読み込み", IDE_PERCENT, IDC_PROGRESS, false, {IDB_CLOSE}},
            [this](bool completed) { finish(completed); }) {}

  // Everything has been read: the settings now differ from the file in use.
  void finish(bool completed) {
    if (!completed) return;
    program.session.settings.settingsDirty = 1;
    show_box(MessageBoxRequest{BoxKind::connected, "読み込みが完了しました", "接続成功"});
    end_dialog(program, window, IDOK);
  }

  // With Broadcast nobody answers, so nothing would be read.
  void start_or_cancel() {
    if (!run.running() && refuse_broadcast(program)) return;
    const int steps = read_all_step_count(inputs);
    run.press(steps, [inputs = inputs](int step) { return read_all_step(step, inputs); });
  }

  Program& program;
  int inputs;  // fixed when the dialog opens
  BulkRunBinding run;
  HWND window = nullptr;
};

void on_init(ReadAllDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, "設定項目の読み込み  ");
  fill_slave_address_list(d.program, dialog);
  enable_slave_address_list_by_link(d.program, dialog);
  d.run.attach(dialog);
}

void close(ReadAllDialog& d, HWND dialog) {
  d.run.abandon();
  end_dialog(d.program, dialog, IDB_CLOSE);
}

INT_PTR CALLBACK read_all_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<ReadAllDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_TIMER:
      return d->run.on_timer(wparam) ? TRUE : FALSE;
    case WM_CLOSE:
      close(*d, dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDB_RUN:
          d->start_or_cancel();
          break;
        case IDC_SLAVE_LIST:
          if (HIWORD(wparam) == CBN_SELCHANGE) take_slave_address(d->program, dialog);
          break;
        case IDB_CLOSE:
          close(*d, dialog);
          break;
      }
      return TRUE;  // Enter and Escape do nothing
    default:
      return FALSE;
  }
}

}  // namespace

void open_read_all_dialog(Program& program) {
  ReadAllDialog dialog(program);
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_READ_ALL), program.main_window,
                  read_all_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
