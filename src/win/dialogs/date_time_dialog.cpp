// "日付・時刻": the unit's calendar clock set field by field from the lists,
// which start at the computer's local time, or from the computer's clock at
// once ("PCの時刻を送信"); the overlay's display range and size; the
// 30-second correction.
#include "bulk/clock_sync.h"
#include "protocol/commands.h"
#include "resource.h"
#include "unit_settings/date_time.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/dialogs/unit_settings_dialogs.h"
#include "win/dialogs/unit_settings_dialogs_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

// Each clock field's list; its "設定" is the next identifier.
constexpr int kClockLists[] = {IDC_YEAR_LIST, IDC_MONTH_LIST,  IDC_DAY_LIST,
                               IDC_HOUR_LIST, IDC_MINUTE_LIST, IDC_SECOND_LIST};

// Every control but "PCの時刻を送信" itself waits while its run sends.
std::vector<int> locked_while_syncing() {
  std::vector<int> locked{IDC_RANGE_LIST, IDB_SET_RANGE,      IDC_SIZE_LIST,
                          IDB_SET_SIZE,   IDB_THIRTY_SECONDS, IDB_CLOSE};
  for (int list : kClockLists) locked.insert(locked.end(), {list, list + 1});
  return locked;
}

// The computer's clock sent as one run of the clock commands; a pass that
// crossed a minute goes again (posted, so that it starts once this pass has
// restored the controls).
struct DateTimeDialog {
  explicit DateTimeDialog(Program& p)
      : program(p),
        run(p,
            {.timer = kClockSyncTimer,
             .button = IDB_SEND_PC_TIME,
             .idle_label = "PCの時刻を送信",
             .locked = locked_while_syncing(),
             .cancellable = false},
            [this](bool completed) { finish(completed); }) {}

  void finish(bool completed) {
    if (!completed) return;
    if (sync.crossed() && ++passes < ClockSync::kPasses) {
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDB_SEND_PC_TIME, kPassAgain), 0);
      return;
    }
    note_in_status_line(program, L"PCの時刻を送信しました。");
  }

  static constexpr WORD kPassAgain = 0x7F01;  // the notification code of a repeated pass
  Program& program;
  BulkRunBinding run;
  ClockSync sync;
  int passes = 0;
  HWND window = nullptr;
};

void send_pc_time(DateTimeDialog& d, bool again) {
  if (!again) {
    if (d.run.running()) return;
    d.passes = 0;
    if (!d.sync.refusal().empty()) {
      const std::string year = std::to_string(local_time_now().year);
      show_box(MessageBoxRequest{
          BoxKind::error, "PCの年（" + year + "）は 2000～2099 の範囲外のため送信できません。",
          "日付・時刻", false, true});
      return;
    }
  }
  d.run.press(ClockSync::kSteps, [&d](int step) { return d.sync.step(step); });
}

void on_init(Program& p, HWND dialog) {
  begin_dialog(p, dialog);
  set_caption_with_path(p, dialog, "日付・時刻  ");
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const auto items =
      clock_items_of(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  for (size_t f = 0; f < kClockFields.size(); ++f)
    fill_list(dialog, kClockLists[f], clock_items(kClockFields[f]), items[f]);
  const DeviceSettings& s = p.session.document.settings;
  fill_list(dialog, IDC_RANGE_LIST, display_range_names(), s.dateTimeRange);
  fill_list(dialog, IDC_SIZE_LIST, {"ノーマル", "スモール"}, s.dateTimeSize);
  fill_slave_address_list(p, dialog);
  enable_slave_address_list_by_link(p, dialog);
}

// A clock "設定" sends what its list shows now.
bool send_clock_field(Program& p, HWND dialog, int id) {
  for (size_t f = 0; f < kClockFields.size(); ++f) {
    if (id != kClockLists[f] + 1) continue;
    send_single_command(p, clock_command(kClockFields[f], selected_item(dialog, kClockLists[f])));
    return true;
  }
  return false;
}

// Enter and Escape do nothing.
void on_command(DateTimeDialog& d, HWND dialog, int id, int notification) {
  Program& p = d.program;
  DeviceSettings& s = p.session.document.settings;
  const bool chosen = notification == CBN_SELCHANGE;
  if (send_clock_field(p, dialog, id)) return;
  switch (id) {
    case IDC_RANGE_LIST:
      if (chosen) store_list_choice(p, dialog, IDC_RANGE_LIST, s.dateTimeRange);
      return;
    case IDC_SIZE_LIST:
      if (chosen) store_list_choice(p, dialog, IDC_SIZE_LIST, s.dateTimeSize);
      return;
    case IDC_SLAVE_LIST:
      if (chosen) take_slave_address(p, dialog);
      return;
    case IDB_SET_RANGE:
      return send_single_command(p, build_date_time_range(s.dateTimeRange));
    case IDB_SET_SIZE:
      return send_single_command(p, build_date_time_size(s.dateTimeSize));
    case IDB_THIRTY_SECONDS:
      return send_single_command(p, build_thirty_second_correction());
    case IDB_SEND_PC_TIME:
      return send_pc_time(d, notification == DateTimeDialog::kPassAgain);
    case IDB_CLOSE:
      d.run.abandon();
      return end_dialog(p, dialog, IDB_CLOSE);
  }
}

INT_PTR CALLBACK date_time_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<DateTimeDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      d->window = dialog;
      on_init(d->program, dialog);
      d->run.attach(dialog);
      return TRUE;
    case WM_TIMER:
      return d->run.on_timer(wparam) ? TRUE : FALSE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      if (d->run.running()) return TRUE;  // its Close item is greyed meanwhile
      end_dialog(d->program, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_date_time_dialog(Program& program) {
  DateTimeDialog dialog(program);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_DATE_TIME),
                  program.shell.main_window, date_time_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
