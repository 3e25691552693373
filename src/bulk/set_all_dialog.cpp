#include "bulk/set_all_dialog.h"

#include "app/message_boxes_win.h"
#include "app/timers_and_messages_win.h"
#include "bulk/bulk_run_dialog_res.h"
#include "bulk/bulk_run_win.h"
#include "bulk/set_all_steps.h"
#include "dialogs/dialog_common_win.h"
#include "resource.h"

namespace orv::win {
namespace {

struct SetAllDialog {
  explicit SetAllDialog(Program& p)
      : program(p),
        run(p, {kSetAllTimer, IDB_RUN, "設定", IDE_PERCENT, IDC_PROGRESS, false, {IDB_CLOSE}},
            [this](bool completed) { finish(completed); }) {}

  void finish(bool completed) {
    if (!completed) return;
    show_box(MessageBoxRequest{BoxKind::connected, "設定が完了しました", "接続成功"});
    end_dialog(program, window, IDOK);
  }

  // Each step is built from the settings as they are when it goes out (the
  // dialog is modal: nothing edits them meanwhile).
  void start_or_cancel() {
    const DeviceSettings& settings = program.session.settings;
    run.press(set_all_step_count(settings.inputCount),
              [&settings](int step) { return set_all_step(step, settings); });
  }

  Program& program;
  BulkRunBinding run;
  HWND window = nullptr;
};

void on_init(SetAllDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, "全項目の設定  ");
  fill_slave_address_list(d.program, dialog);
  enable_slave_address_list_by_link(d.program, dialog);
  d.run.attach(dialog);
}

void close(SetAllDialog& d, HWND dialog) {
  d.run.abandon();
  end_dialog(d.program, dialog, IDB_CLOSE);
}

INT_PTR CALLBACK set_all_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<SetAllDialog>(dialog, message, lparam);
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

void open_set_all_dialog(Program& program) {
  SetAllDialog dialog(program);
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_SET_ALL), program.main_window,
                  set_all_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
