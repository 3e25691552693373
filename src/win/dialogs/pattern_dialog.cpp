#include "win/dialogs/pattern_dialog.h"

#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/scoped.h"
#include "win/base/timers_and_messages.h"

namespace orv::win {
namespace {

BulkRunView all_patterns_run(const PatternDialog::Shape& shape) {
  std::vector<int> locked = {IDB_SET_CHANNEL, IDB_SET_PATTERN, IDB_CLOSE, IDC_PATTERN_LIST};
  locked.insert(locked.end(), shape.own_controls.begin(), shape.own_controls.end());
  return BulkRunView{.timer = shape.run_timer,
                     .button = IDB_SET_ALL_PATTERNS,
                     .idle_label = "全パターン設定",
                     .percent_edit = IDE_PERCENT,
                     .locked = std::move(locked),
                     .reply_paced_check = IDC_REPLY_PACED};
}

}  // namespace

PatternDialog::PatternDialog(Program& program, Shape shape)
    : program_(program),
      shape_(std::move(shape)),
      run_(program, all_patterns_run(shape_), [](bool completed) {
        if (completed) show_box(acknowledged_box());
      }) {}

void PatternDialog::open() {
  DialogBoxParamW(program_.shell.instance, MAKEINTRESOURCEW(shape_.template_id),
                  program_.shell.main_window, proc, reinterpret_cast<LPARAM>(this));
}

void PatternDialog::on_init(HWND dialog) {
  begin_dialog(program_, dialog);
  set_caption_with_path(program_, dialog, shape_.caption);
  fill_lists(dialog);
  fill_slave_address_list(program_, dialog);
  enable_slave_address_list_by_link(program_, dialog);
  run_.attach(dialog);
}

void PatternDialog::on_paint(HWND dialog) {
  const PaintScope paint(dialog);
  paint_table(paint.dc(), painted_table());
}

void PatternDialog::start_or_cancel_all_patterns() {
  run_.press(kPatternCount, [this](int step) { return pattern_step(step - 1); });
}

void PatternDialog::close(HWND dialog) {
  run_.abandon();
  end_dialog(program_, dialog, IDB_CLOSE);
}

// Enter and Escape do nothing here.
void PatternDialog::on_command(HWND dialog, int id, int notification) {
  if (notification == CBN_SELCHANGE) {
    const int item = selected_item(dialog, id);
    if (item < 0) return;
    if (id == IDC_SLAVE_LIST) return take_slave_address(program_, dialog);
    return on_choice(dialog, id, item);
  }
  switch (id) {
    case IDB_SET_CHANNEL:
      return send_single_command(program_, channel_command());
    case IDB_SET_PATTERN:
      return send_single_command(program_, pattern_command());
    case IDB_SET_ALL_PATTERNS:
      return start_or_cancel_all_patterns();
    case IDB_CLOSE:
      return close(dialog);
    default:
      return on_own_button(id);
  }
}

INT_PTR CALLBACK PatternDialog::proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<PatternDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      d->on_init(dialog);
      return TRUE;
    case WM_PAINT:
      d->on_paint(dialog);
      return TRUE;
    case WM_TIMER:
      return d->run_.on_timer(wparam) ? TRUE : FALSE;
    case WM_APP_RUN_SETTLED:
      return d->run_.on_settled() ? TRUE : FALSE;
    case WM_COMMAND:
      d->on_command(dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      d->close(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace orv::win
