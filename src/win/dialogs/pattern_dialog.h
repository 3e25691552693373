// What the screen display pattern and automatic switching pattern dialogs
// share: the painted table of one pattern above the lists that edit it,
// "チャンネル設定" and "パターン設定" (one command each), "全パターン設定" (a timed
// run of the 64 patterns), the slave address list and "Close". Each dialog
// gives its own lists, commands and steps; the dialog procedure is this one.
#pragma once

#include <vector>

#include "bulk/bulk_run.h"
#include "protocol/command.h"
#include "unit_settings/painted_table.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/program.h"

namespace orv::win {

class PatternDialog {
 public:
  struct Shape {
    int template_id;
    const char* caption;
    TimerSetting run_timer;
    std::vector<int> own_controls;  // locked with the shared ones while the run is active
  };

  void open();

 protected:
  PatternDialog(Program& program, Shape shape);
  ~PatternDialog() = default;

  // The dialog opens: its own lists are filled and show the pattern.
  virtual void fill_lists(HWND dialog) = 0;
  // An item of `list` (the pattern list or one of the dialog's own) was chosen.
  virtual void on_choice(HWND dialog, int list, int item) = 0;
  // A button of the dialog's own; the shared ones are handled here.
  virtual void on_own_button(int /*id*/) {}
  virtual Command channel_command() const = 0;  // "チャンネル設定"
  virtual Command pattern_command() const = 0;  // "パターン設定"
  virtual BulkStep pattern_step(int pattern) const = 0;
  virtual PaintedTable painted_table() const = 0;

  Program& program_;

 private:
  static INT_PTR CALLBACK proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void on_init(HWND dialog);
  void on_paint(HWND dialog);
  void on_command(HWND dialog, int id, int notification);
  void start_or_cancel_all_patterns();
  void close(HWND dialog);

  Shape shape_;
  BulkRunBinding run_;
};

}  // namespace orv::win
