#include "win/dialogs/screen_pattern_dialog.h"

#include "bulk/shared_steps.h"
#include "resource.h"
#include "unit_settings/screen_pattern.h"
#include "win/base/dialog_common.h"
#include "win/base/timers_and_messages.h"
#include "win/dialogs/pattern_dialog.h"
#include "win/dialogs/screen_pattern_dialog_res.h"

namespace orv::win {
namespace {

class ScreenPatternDialog final : public PatternDialog {
 public:
  explicit ScreenPatternDialog(Program& p)
      : PatternDialog(
            p, {IDD_SCREEN_PATTERN,
                "画面表示パターン  ",
                kScreenPatternRunTimer,
                {IDB_SWITCH_SCREENS, IDC_OUTPUT_LIST, IDC_SOURCE_LIST, IDC_SAME_SOURCE_LIST}}),
        editor_(p.session.document.settings, p.session.selections.outputChannel) {}

 private:
  void fill_lists(HWND dialog) override {
    const int inputs = program_.session.document.settings.inputCount;
    editor_.clamp_on_open();
    fill_list(dialog, IDC_PATTERN_LIST, layout_names(), editor_.layout());
    fill_list(dialog, IDC_SOURCE_LIST, source_names(inputs), -1);
    fill_list(dialog, IDC_SAME_SOURCE_LIST, source_names(inputs), 0);
    std::vector<std::string> outputs;
    for (int output = 0; output < kOutputCount; ++output) outputs.push_back(channel_name(output));
    fill_list(dialog, IDC_OUTPUT_LIST, outputs, editor_.output());
    offer_all_patterns(dialog);
    show_entry(dialog);
  }

  void on_choice(HWND dialog, int list, int item) override {
    switch (list) {
      case IDC_PATTERN_LIST:
        editor_.choose_layout(item);
        repaint_table(dialog);
        show_entry(dialog);
        return offer_all_patterns(dialog);
      case IDC_OUTPUT_LIST:
        editor_.choose_output(item);
        return show_entry(dialog);
      case IDC_SOURCE_LIST:
        editor_.store_entry(item);
        return repaint_table(dialog);
      case IDC_SAME_SOURCE_LIST:
        editor_.store_same_entry(item);
        repaint_table(dialog);
        return show_entry(dialog);
    }
  }

  // "画面切換え" copies the chosen pattern into FREE only when it goes out.
  void on_own_button(int id) override {
    if (id != IDB_SWITCH_SCREENS || program_.session.operator_road.exchange.awaiting_reply())
      return;
    send_single_command(program_, editor_.switch_screens());
  }

  Command channel_command() const override { return editor_.output_command(); }
  Command pattern_command() const override { return editor_.layout_command(); }
  BulkStep pattern_step(int pattern) const override {
    return screen_pattern_step(pattern, program_.session.document.settings);
  }
  PaintedTable painted_table() const override { return editor_.painted_table(); }

  void show_entry(HWND dialog) { select_item(dialog, IDC_SOURCE_LIST, editor_.entry_item()); }
  void offer_all_patterns(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDB_SET_ALL_PATTERNS), editor_.all_patterns_offered());
  }

  ScreenPatternEditor editor_;
};

}  // namespace

void open_screen_pattern_dialog(Program& program) {
  ScreenPatternDialog(program).open();
}

}  // namespace orv::win
