#include "win/dialogs/switching_pattern_dialog.h"

#include "bulk/shared_steps.h"
#include "resource.h"
#include "unit_settings/switching_pattern.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/scoped.h"
#include "win/base/timers_and_messages.h"
#include "win/dialogs/switching_pattern_dialog_res.h"

namespace orv::win {
namespace {

struct SwitchingPatternDialog {
  explicit SwitchingPatternDialog(Program& p)
      : program(p),
        editor(p.session.settings, p.session.currentSwitchingPattern, p.session.inputChannel),
        run(p,
            {kSwitchingPatternRunTimer,
             IDB_SET_ALL_PATTERNS,
             "全パターン設定",
             IDE_PERCENT,
             0,
             false,
             {IDB_SET_CHANNEL, IDB_SET_PATTERN, IDB_CLOSE, IDC_PATTERN_LIST, IDC_INPUT_LIST,
              IDC_TIME_LIST, IDC_SAME_TIME_LIST}},
            [](bool completed) {
              if (completed) show_box(acknowledged_box());
            }) {}
  Program& program;
  SwitchingPatternEditor editor;
  BulkRunBinding run;
};

void show_time(SwitchingPatternDialog& d, HWND dialog) {
  select_item(dialog, IDC_TIME_LIST, d.editor.time_item());
}

void on_init(SwitchingPatternDialog& d, HWND dialog) {
  Program& p = d.program;
  begin_dialog(p, dialog);
  set_caption_with_path(p, dialog, "自動切換えパターン  ");
  d.editor.clamp_on_open();
  fill_list(dialog, IDC_PATTERN_LIST, switching_pattern_names(), d.editor.pattern());
  fill_list(dialog, IDC_TIME_LIST, dwell_time_names(), -1);
  fill_list(dialog, IDC_SAME_TIME_LIST, dwell_time_names(), 0);
  fill_list(dialog, IDC_INPUT_LIST, d.editor.input_names(), d.editor.input());
  fill_slave_address_list(p, dialog);
  enable_slave_address_list_by_link(p, dialog);
  show_time(d, dialog);
  d.run.attach(dialog);
}

void on_list_choice(SwitchingPatternDialog& d, HWND dialog, int list) {
  const int item = selected_item(dialog, list);
  if (item < 0) return;
  switch (list) {
    case IDC_PATTERN_LIST:
      d.editor.choose_pattern(item);
      repaint_table(dialog);
      show_time(d, dialog);
      return;
    case IDC_INPUT_LIST:
      if (d.editor.choose_input(item)) repaint_table(dialog);
      show_time(d, dialog);
      return;
    case IDC_TIME_LIST:
      d.editor.store_time(item);
      repaint_table(dialog);
      return;
    case IDC_SAME_TIME_LIST:
      d.editor.store_same_time(item);
      repaint_table(dialog);
      show_time(d, dialog);
      return;
    case IDC_SLAVE_LIST:
      take_slave_address(d.program, dialog);
      return;
  }
}

void start_or_cancel_all_patterns(SwitchingPatternDialog& d) {
  const DeviceSettings& settings = d.program.session.settings;
  d.run.press(kPatternCount,
              [&settings](int step) { return switching_pattern_step(step - 1, settings); });
}

void close(SwitchingPatternDialog& d, HWND dialog) {
  d.run.abandon();
  end_dialog(d.program, dialog, IDB_CLOSE);
}

void on_command(SwitchingPatternDialog& d, HWND dialog, int id, int notification) {
  switch (id) {
    case IDC_PATTERN_LIST:
    case IDC_INPUT_LIST:
    case IDC_TIME_LIST:
    case IDC_SAME_TIME_LIST:
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) on_list_choice(d, dialog, id);
      return;
    case IDB_SET_CHANNEL:
      return send_single_command(d.program, d.editor.input_command());
    case IDB_SET_PATTERN:
      return send_single_command(d.program, d.editor.pattern_command());
    case IDB_SET_ALL_PATTERNS:
      return start_or_cancel_all_patterns(d);
    case IDB_CLOSE:
      return close(d, dialog);
  }
  // Enter and Escape do nothing here.
}

INT_PTR CALLBACK switching_pattern_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<SwitchingPatternDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_PAINT: {
      const PaintScope paint(dialog);
      paint_table(paint.dc(), d->editor.painted_table());
      return TRUE;
    }
    case WM_TIMER:
      return d->run.on_timer(wparam) ? TRUE : FALSE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close(*d, dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_switching_pattern_dialog(Program& program) {
  SwitchingPatternDialog dialog(program);
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_SWITCHING_PATTERN), program.main_window,
                  switching_pattern_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
