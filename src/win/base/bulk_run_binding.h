// Ties a BulkRun to its dialog: the button that starts the run and becomes
// "キャンセル" while it runs, the percent edit, the progress bar, the
// controls locked meanwhile (with the window menu's Close item), the run's
// timer, and the sending of each step. A dialog gives its controls, its
// timer and, when the run ends, what follows.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "bulk/bulk_run.h"
#include "win/base/program.h"
#include "win/base/scoped.h"

namespace orv::win {

// The status line after a whole read that did not complete.
inline constexpr wchar_t kReadLeftSettingsAlone[] =
    L"読み込みは完了しなかったため、設定は変更していません。";

// What a run shows and locks; a dialog names the fields it sets.
struct BulkRunView {
  TimerSetting timer{};
  int button = 0;               // starts the run, and cancels it while it runs
  const char* idle_label = "";  // the button's text when no run is active
  int percent_edit = 0;         // 0: the dialog shows no percentage
  int progress_bar = 0;         // 0: the dialog has no progress bar
  int progress_range = 0;       // the bar's upper end; 0: the number of steps
  bool keep_percent = false;    // the percentage stays shown after the run
  std::vector<int> locked;      // controls disabled while the run is active
  bool lock_slave_list = true;  // the slave address list too (re-enabled by the link)
  bool to_converter = false;    // the steps go to the LAN converter over the serial line
  bool cancellable = true;      // false: the button is greyed while the run is active
  // A whole read: the replies go into a copy that replaces the settings
  // only when the run completes.
  bool reads_whole = false;
  // A whole read into a copy that never replaces the settings: a completed
  // run leaves it in read_aside() for the dialog to compare.
  bool reads_aside = false;
  // "高速（応答ごとに次を送信）": checked, each step goes out as soon as the
  // previous reply is in (Broadcast excepted), a lost reply tried again.
  // 0: the dialog has no such box.
  int reply_paced_check = 0;
};

// The box's text beside a run, and its tooltip.
inline constexpr wchar_t kReplyPacedLabel[] = L"高速（応答ごとに次を送信）";
inline constexpr wchar_t kReplyPacedTip[] =
    L"応答が届きしだい次のコマンドを送ります。Broadcast には応答がないため、"
    L"チェックしてもタイマーの間隔で送ります。";

class BulkRunBinding {
 public:
  // `on_end(completed)` runs once the run has ended, before the controls are
  // restored; a completed run's dialog may end itself there.
  BulkRunBinding(Program& program, BulkRunView view, std::function<void(bool completed)> on_end);

  void attach(HWND dialog);  // from WM_INITDIALOG
  bool running() const { return run_.running(); }
  // What the last completed run read aside; nothing after any other end.
  const std::optional<DeviceSettings>& read_aside() const { return read_aside_; }

  // The button: starts a run of `steps` steps from `source`, or cancels the
  // run under way. A start is dropped while a reply is awaited.
  void press(int steps, BulkRun::StepSource source);
  // WM_TIMER; false when the timer is not the run's.
  bool on_timer(UINT_PTR timer_id);
  // WM_APP_RUN_SETTLED: a reply-paced run's command settled, so its next
  // step goes out now; false when the run is not paced so.
  bool on_settled();
  // The dialog closes.
  void abandon();

 private:
  void send(const BulkStep& step);
  void cancel();
  void end_read(bool completed);
  void say_where_it_stopped();
  void lock(bool locked);
  void show_progress();
  bool begin_pacing();
  void end_pacing();
  Exchange& exchange() { return program_.session.operator_road.exchange; }

  Program& program_;
  BulkRunView view_;
  std::function<void(bool)> on_end_;
  HWND dialog_ = nullptr;
  WindowTimer timer_;
  BulkRun run_;
  bool paced_ = false;  // by the replies: woken as each settles
  // The last step sent ("40/175") and its command, for the status line.
  std::wstring last_step_;
  std::string last_command_;
  std::optional<DeviceSettings> read_aside_;
};

}  // namespace orv::win
