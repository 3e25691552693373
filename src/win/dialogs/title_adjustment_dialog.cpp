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

INT_PTR CALLBACK title_adjustment_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Program* p = dialog_data<Program>(dialog, message, lparam);
  if (!p) return FALSE;
  DeviceSettings& s = p->session.settings;
  switch (message) {
    case WM_INITDIALOG:
      begin_dialog(*p, dialog);
      set_caption_with_path(*p, dialog, "タイトル位置微調整  ");
      fill_list(dialog, IDC_OFFSET_TOP, offset_items(), s.titleOffsetTop);
      fill_list(dialog, IDC_OFFSET_BOTTOM, offset_items(), s.titleOffsetBottom);
      fill_slave_address_list(*p, dialog);
      enable_slave_address_list_by_link(*p, dialog);
      return TRUE;
    case WM_COMMAND: {
      const bool chosen = HIWORD(wparam) == CBN_SELCHANGE;
      switch (LOWORD(wparam)) {
        case IDC_OFFSET_TOP:
          if (chosen) store_list_choice(*p, dialog, IDC_OFFSET_TOP, s.titleOffsetTop);
          return TRUE;
        case IDC_OFFSET_BOTTOM:
          if (chosen) store_list_choice(*p, dialog, IDC_OFFSET_BOTTOM, s.titleOffsetBottom);
          return TRUE;
        case IDC_SLAVE_LIST:
          if (chosen) take_slave_address(*p, dialog);
          return TRUE;
        case IDB_SET_OFFSET_TOP:
          send_single_command(*p, build_title_offset_top(s.titleOffsetTop));
          return TRUE;
        case IDB_SET_OFFSET_BOTTOM:
          send_single_command(*p, build_title_offset_bottom(s.titleOffsetBottom));
          return TRUE;
        case IDB_CLOSE:
        case IDOK:      // Enter
        case IDCANCEL:  // Escape
          end_dialog(*p, dialog, LOWORD(wparam));
          return TRUE;
      }
      return TRUE;
    }
    case WM_CLOSE:
      end_dialog(*p, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_title_adjustment_dialog(Program& program) {
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_TITLE_ADJUSTMENT), program.main_window,
                  title_adjustment_proc, reinterpret_cast<LPARAM>(&program));
}

}  // namespace orv::win
