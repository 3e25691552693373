// "タイトル位置微調整": the offsets of the title at the top and at the bottom.
#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/dialogs/unit_settings_dialogs.h"
#include "win/dialogs/unit_settings_dialogs_res.h"

namespace orv::win {
namespace {

std::vector<std::string> offset_items() {
  std::vector<std::string> items;
  for (int offset = 1; offset <= 16; ++offset) items.push_back(decimal_text(offset, 2));
  return items;
}

void on_init(Program& p, HWND dialog) {
  const DeviceSettings& s = p.session.document.settings;
  begin_dialog(p, dialog);
  set_caption_with_path(p, dialog, "タイトル位置微調整  ");
  fill_list(dialog, IDC_OFFSET_TOP, offset_items(), s.titleOffsetTop);
  fill_list(dialog, IDC_OFFSET_BOTTOM, offset_items(), s.titleOffsetBottom);
  fill_slave_address_list(p, dialog);
  enable_slave_address_list_by_link(p, dialog);
}

void on_command(Program& p, HWND dialog, int id, int notification) {
  DeviceSettings& s = p.session.document.settings;
  const bool chosen = notification == CBN_SELCHANGE;
  switch (id) {
    case IDC_OFFSET_TOP:
      if (chosen) store_list_choice(p, dialog, id, s.titleOffsetTop);
      return;
    case IDC_OFFSET_BOTTOM:
      if (chosen) store_list_choice(p, dialog, id, s.titleOffsetBottom);
      return;
    case IDC_SLAVE_LIST:
      if (chosen) take_slave_address(p, dialog);
      return;
    case IDB_SET_OFFSET_TOP:
      return send_single_command(p, build_title_offset_top(s.titleOffsetTop));
    case IDB_SET_OFFSET_BOTTOM:
      return send_single_command(p, build_title_offset_bottom(s.titleOffsetBottom));
    case IDB_CLOSE:
    case IDOK:      // Enter
    case IDCANCEL:  // Escape
      return end_dialog(p, dialog, id);
  }
}

INT_PTR CALLBACK title_adjustment_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
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

void open_title_adjustment_dialog(Program& program) {
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_TITLE_ADJUSTMENT),
                  program.shell.main_window, title_adjustment_proc,
                  reinterpret_cast<LPARAM>(&program));
}

}  // namespace orv::win
