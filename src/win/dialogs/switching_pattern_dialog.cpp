#include "win/dialogs/switching_pattern_dialog.h"

#include "bulk/shared_steps.h"
#include "resource.h"
#include "unit_settings/switching_pattern.h"
#include "win/base/dialog_common.h"
#include "win/base/timers_and_messages.h"
#include "win/dialogs/pattern_dialog.h"
#include "win/dialogs/switching_pattern_dialog_res.h"

namespace orv::win {
namespace {

class SwitchingPatternDialog final : public PatternDialog {
 public:
  explicit SwitchingPatternDialog(Program& p)
      : PatternDialog(p, {IDD_SWITCHING_PATTERN,
                          "自動切換えパターン  ",
                          kSwitchingPatternRunTimer,
                          {IDC_INPUT_LIST, IDC_TIME_LIST, IDC_SAME_TIME_LIST}}),
        editor_(p.session.document.settings, p.session.selections.currentSwitchingPattern,
                p.session.selections.inputChannel) {}

 private:
  void fill_lists(HWND dialog) override {
    editor_.clamp_on_open();
    fill_list(dialog, IDC_PATTERN_LIST, switching_pattern_names(), editor_.pattern());
    fill_list(dialog, IDC_TIME_LIST, dwell_time_names(), -1);
    fill_list(dialog, IDC_SAME_TIME_LIST, dwell_time_names(), 0);
    fill_list(dialog, IDC_INPUT_LIST, editor_.input_names(), editor_.input());
    show_time(dialog);
  }

  void on_choice(HWND dialog, int list, int item) override {
    switch (list) {
      case IDC_PATTERN_LIST:
        editor_.choose_pattern(item);
        repaint_table(dialog);
        return show_time(dialog);
      case IDC_INPUT_LIST:
        if (editor_.choose_input(item)) repaint_table(dialog);
        return show_time(dialog);
      case IDC_TIME_LIST:
        editor_.store_time(item);
        return repaint_table(dialog);
      case IDC_SAME_TIME_LIST:
        editor_.store_same_time(item);
        repaint_table(dialog);
        return show_time(dialog);
    }
  }

  Command channel_command() const override { return editor_.input_command(); }
  Command pattern_command() const override { return editor_.pattern_command(); }
  BulkStep pattern_step(int pattern) const override {
    return switching_pattern_step(pattern, program_.session.document.settings);
  }
  PaintedTable painted_table() const override { return editor_.painted_table(); }

  void show_time(HWND dialog) { select_item(dialog, IDC_TIME_LIST, editor_.time_item()); }

  SwitchingPatternEditor editor_;
};

}  // namespace

void open_switching_pattern_dialog(Program& program) {
  SwitchingPatternDialog(program).open();
}

}  // namespace orv::win
