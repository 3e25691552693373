#include "win/base/bulk_run_binding.h"

#include "link/traffic_log.h"

#include <commctrl.h>

#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/platform/text.h"

namespace orv::win {

BulkRunBinding::BulkRunBinding(Program& program, BulkRunView view, std::function<void(bool)> on_end)
    : program_(program), view_(std::move(view)), on_end_(std::move(on_end)), timer_(view_.timer) {}

void BulkRunBinding::attach(HWND dialog) {
  dialog_ = dialog;
  if (view_.percent_edit) SendDlgItemMessageW(dialog, view_.percent_edit, EM_SETREADONLY, TRUE, 0);
  if (!view_.reply_paced_check) return;
  view_.locked.push_back(view_.reply_paced_check);
  CheckDlgButton(dialog, view_.reply_paced_check,
                 program_.session.config.reply_paced ? BST_CHECKED : BST_UNCHECKED);
  add_tooltip(dialog, view_.reply_paced_check, kReplyPacedTip);
}

// Reply-paced: the link event window wakes the run (WM_APP_RUN_SETTLED) as
// each of its commands settles (the run's timer stays as the pace of
// Broadcast and of reported conditions), and a command whose reply is late
// goes out again once the unit has answered a step.
bool BulkRunBinding::begin_pacing() {
  if (!view_.reply_paced_check) return false;
  Session& session = program_.session;
  const bool checked = IsDlgButtonChecked(dialog_, view_.reply_paced_check) == BST_CHECKED;
  if (checked != session.config.reply_paced)
    write_reply_paced(session.config, program_.profile, checked);
  const bool broadcast =
      !view_.to_converter && session.config.serial_interface() && session.framing().broadcast();
  if (!checked || broadcast) return false;
  paced_ = true;
  program_.links.woken_on_settle[kOperatorRequester] = dialog_;
  return true;
}

void BulkRunBinding::end_pacing() {
  if (!paced_) return;
  paced_ = false;
  program_.links.woken_on_settle.erase(kOperatorRequester);
}

bool BulkRunBinding::on_settled() {
  if (!paced_ || !run_.running()) return false;
  const Exchange& x = exchange();
  if (!x.send_failed() && x.result_code() != ResultCode::reported) run_.answered();
  return on_timer(timer_.id());
}

void BulkRunBinding::press(int steps, BulkRun::StepSource source) {
  if (run_.running()) return view_.cancellable ? cancel() : void();
  const int retries = program_.session.config.reply_retries;
  if (!run_.start(exchange(), BulkRun::Plan{steps, std::move(source), retries})) return;
  read_aside_.reset();
  if (view_.reads_whole || view_.reads_aside) begin_whole_read(program_.session);
  begin_pacing();
  lock(true);
  if (view_.percent_edit) SetDlgItemTextW(dialog_, view_.percent_edit, L"0");
  if (view_.progress_bar) {
    HWND bar = GetDlgItem(dialog_, view_.progress_bar);
    SendMessageW(bar, PBM_SETRANGE32, 0, view_.progress_range ? view_.progress_range : steps);
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
  }
  timer_.start(dialog_);
  on_timer(timer_.id());  // the first step goes out at once, the next one a tick later
}

bool BulkRunBinding::on_timer(UINT_PTR timer_id) {
  if (timer_id != timer_.id()) return false;
  const BulkRun::Tick tick = run_.tick(exchange());
  switch (tick.kind) {
    case BulkRun::Tick::Kind::wait:
      break;
    case BulkRun::Tick::Kind::send:
      send(tick.step);
      show_progress();
      break;
    case BulkRun::Tick::Kind::ended:
      timer_.stop();
      end_pacing();
      end_read(tick.completed);
      if (!tick.completed) say_where_it_stopped();
      on_end_(tick.completed);
      lock(false);
      break;
  }
  return true;
}

// A title that cannot be sent is reported before its "Command Error": the
// run's timer rests while the warning is up, so the run ends once, after it.
void BulkRunBinding::send(const BulkStep& step) {
  last_command_ = mask_password(step.command.text.substr(0, step.command.text.find('\r')));
  last_step_ = std::to_wstring(run_.step()) + L"/" + std::to_wstring(run_.steps());
  if (step.title_unsendable) {
    timer_.stop();
    warn_unsendable_title();
    exchange().refused();
    timer_.start(dialog_);
    return;
  }
  const int retries = paced_ ? run_.retries_now() : 0;
  if (view_.to_converter)
    send_to_converter(program_, step.command, retries);
  else
    send_to_unit(program_, step.command, retries);
}

void BulkRunBinding::cancel() {
  Exchange& x = exchange();
  if (x.bulk_phase() == BulkPhase::last) return;  // the run ends by itself
  x.set_suppress_errors(true);
  timer_.stop();
  end_pacing();
  run_.cancel(x);
  abandon_operator(program_.session);
  end_read(false);
  show_box(MessageBoxRequest{BoxKind::error, "中止しました", "キャンセル", false, true});
  x.set_suppress_errors(false);
  lock(false);
}

void BulkRunBinding::abandon() {
  timer_.stop();
  end_pacing();
  if (run_.running()) end_read(false);
  run_.abandon(exchange());
}

// A run that failed says where in the status line, so that a dead unit can
// be told from one bad setting: "ステップ 40/175（ROP39）で止まりました。".
void BulkRunBinding::say_where_it_stopped() {
  std::wstring note = L"ステップ " + last_step_ + L"（" + widen(last_command_.substr(0, 16)) +
                      L"）で止まりました。";
  if (view_.reads_whole) note = std::wstring(kReadLeftSettingsAlone) + L" " + note;
  if (program_.session.operator_road.closed_by_converter)
    note = widen(kClosedByConverter) + L" " + note;
  note_in_status_line(program_, note);
}

// A read that did not complete leaves the settings as they were, and says so.
void BulkRunBinding::end_read(bool completed) {
  Session& session = program_.session;
  if (view_.reads_aside) {
    if (completed && session.document.reading) read_aside_ = std::move(session.document.reading);
    session.document.reading.reset();
    return;
  }
  if (!view_.reads_whole) return;
  end_whole_read(program_.session, completed);
  if (completed)
    program_.shell.status_note.clear();
  else
    note_in_status_line(program_, kReadLeftSettingsAlone);
}

void BulkRunBinding::show_progress() {
  if (view_.percent_edit)
    SetDlgItemTextW(dialog_, view_.percent_edit, std::to_wstring(run_.percent()).c_str());
  if (view_.progress_bar) SendDlgItemMessageW(dialog_, view_.progress_bar, PBM_STEPIT, 0, 0);
}

void BulkRunBinding::lock(bool locked) {
  for (int control : view_.locked) EnableWindow(GetDlgItem(dialog_, control), !locked);
  if (view_.lock_slave_list) {
    if (locked)
      EnableWindow(GetDlgItem(dialog_, IDC_SLAVE_LIST), FALSE);
    else
      enable_slave_address_list_by_link(program_, dialog_);
  }
  EnableMenuItem(GetSystemMenu(dialog_, FALSE), SC_CLOSE,
                 MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
  if (view_.cancellable)
    SetDlgItemTextW(dialog_, view_.button,
                    locked ? L"キャンセル" : widen(view_.idle_label).c_str());
  else
    EnableWindow(GetDlgItem(dialog_, view_.button), !locked);
  if (locked) return;
  if (view_.percent_edit && !view_.keep_percent) SetDlgItemTextW(dialog_, view_.percent_edit, L"");
  if (view_.progress_bar) SendDlgItemMessageW(dialog_, view_.progress_bar, PBM_SETPOS, 0, 0);
}

}  // namespace orv::win
