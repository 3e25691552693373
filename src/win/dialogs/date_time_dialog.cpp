// "日付・時刻": the unit's calendar clock set field by field from the lists,
// which start at the computer's local time; the overlay's display range and
// size; the 30-second correction.
#include "protocol/commands.h"
#include "resource.h"
#include "unit_settings/date_time.h"
#include "win/base/dialog_common.h"
#include "win/dialogs/unit_settings_dialogs.h"
#include "win/dialogs/unit_settings_dialogs_res.h"

namespace orv::win {
namespace {

// Each clock field's list; its "設定" is the next identifier.
constexpr int kClockLists[] = {IDC_YEAR_LIST, IDC_MONTH_LIST,  IDC_DAY_LIST,
                               IDC_HOUR_LIST, IDC_MINUTE_LIST, IDC_SECOND_LIST};

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
void on_command(Program& p, HWND dialog, int id, int notification) {
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
    case IDB_CLOSE:
      return end_dialog(p, dialog, IDB_CLOSE);
  }
}

INT_PTR CALLBACK date_time_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Program* p = dialog_data<Program>(dialog, message, lparam);
  if (!p) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*p, dialog);
      return TRUE;
    case WM_COMMAND:
      on_command(*p, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      end_dialog(*p, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_date_time_dialog(Program& program) {
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_DATE_TIME),
                  program.shell.main_window, date_time_proc, reinterpret_cast<LPARAM>(&program));
}

}  // namespace orv::win
