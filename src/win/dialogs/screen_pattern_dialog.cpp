#include "win/dialogs/screen_pattern_dialog.h"

#include "bulk/shared_steps.h"
#include "resource.h"
#include "unit_settings/screen_pattern.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/scoped.h"
#include "win/base/timers_and_messages.h"
#include "win/dialogs/screen_pattern_dialog_res.h"

namespace orv::win {
namespace {

struct ScreenPatternDialog {
  explicit ScreenPatternDialog(Program& p)
      : program(p),
        editor(p.session.settings, p.session.outputChannel),
        run(p,
            {kScreenPatternRunTimer,
             IDB_SET_ALL_PATTERNS,
             "全パターン設定",
             IDE_PERCENT,
             0,
             false,
             {IDB_SET_CHANNEL, IDB_SET_PATTERN, IDB_SWITCH_SCREENS, IDB_CLOSE, IDC_PATTERN_LIST,
              IDC_OUTPUT_LIST, IDC_SOURCE_LIST, IDC_SAME_SOURCE_LIST}},
            [](bool completed) {
              if (completed) show_box(acknowledged_box());
            }) {}
  Program& program;
  ScreenPatternEditor editor;
  BulkRunBinding run;
};

void show_entry(ScreenPatternDialog& d, HWND dialog) {
  select_item(dialog, IDC_SOURCE_LIST, d.editor.entry_item());
}

void offer_all_patterns(ScreenPatternDialog& d, HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDB_SET_ALL_PATTERNS), d.editor.all_patterns_offered());
}

void on_init(ScreenPatternDialog& d, HWND dialog) {
  Program& p = d.program;
  const int inputs = p.session.settings.inputCount;
  begin_dialog(p, dialog);
  set_caption_with_path(p, dialog, "画面表示パターン  ");
  d.editor.clamp_on_open();
  fill_list(dialog, IDC_PATTERN_LIST, layout_names(), d.editor.layout());
  fill_list(dialog, IDC_SOURCE_LIST, source_names(inputs), -1);
  fill_list(dialog, IDC_SAME_SOURCE_LIST, source_names(inputs), 0);
  std::vector<std::string> outputs;
  for (int output = 0; output < kOutputCount; ++output) outputs.push_back(channel_name(output));
  fill_list(dialog, IDC_OUTPUT_LIST, outputs, d.editor.output());
  fill_slave_address_list(p, dialog);
  enable_slave_address_list_by_link(p, dialog);
  offer_all_patterns(d, dialog);
  show_entry(d, dialog);
  d.run.attach(dialog);
}

void on_list_choice(ScreenPatternDialog& d, HWND dialog, int list) {
  const int item = selected_item(dialog, list);
  if (item < 0) return;
  switch (list) {
    case IDC_PATTERN_LIST:
      d.editor.choose_layout(item);
      repaint_table(dialog);
      show_entry(d, dialog);
      offer_all_patterns(d, dialog);
      return;
    case IDC_OUTPUT_LIST:
      d.editor.choose_output(item);
      show_entry(d, dialog);
      return;
    case IDC_SOURCE_LIST:
      d.editor.store_entry(item);
      repaint_table(dialog);
      return;
    case IDC_SAME_SOURCE_LIST:
      d.editor.store_same_entry(item);
      repaint_table(dialog);
      show_entry(d, dialog);
      return;
    case IDC_SLAVE_LIST:
      take_slave_address(d.program, dialog);
      return;
  }
}

// "画面切換え" copies the chosen pattern into FREE only when it goes out.
void switch_screens(ScreenPatternDialog& d) {
  if (d.program.session.exchange.awaiting_reply()) return;
  send_single_command(d.program, d.editor.switch_screens());
}

void start_or_cancel_all_patterns(ScreenPatternDialog& d) {
  const DeviceSettings& settings = d.program.session.settings;
  d.run.press(kPatternCount,
              [&settings](int step) { return screen_pattern_step(step - 1, settings); });
}

void close(ScreenPatternDialog& d, HWND dialog) {
  d.run.abandon();
  end_dialog(d.program, dialog, IDB_CLOSE);
}

void on_command(ScreenPatternDialog& d, HWND dialog, int id, int notification) {
  switch (id) {
    case IDC_PATTERN_LIST:
    case IDC_OUTPUT_LIST:
    case IDC_SOURCE_LIST:
    case IDC_SAME_SOURCE_LIST:
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) on_list_choice(d, dialog, id);
      return;
    case IDB_SET_CHANNEL:
      return send_single_command(d.program, d.editor.output_command());
    case IDB_SET_PATTERN:
      return send_single_command(d.program, d.editor.layout_command());
    case IDB_SWITCH_SCREENS:
      return switch_screens(d);
    case IDB_SET_ALL_PATTERNS:
      return start_or_cancel_all_patterns(d);
    case IDB_CLOSE:
      return close(d, dialog);
  }
  // Enter and Escape do nothing here.
}

INT_PTR CALLBACK screen_pattern_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<ScreenPatternDialog>(dialog, message, lparam);
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

void open_screen_pattern_dialog(Program& program) {
  ScreenPatternDialog dialog(program);
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_SCREEN_PATTERN), program.main_window,
                  screen_pattern_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
