#include "win/dialogs/slave_address_dialog.h"

#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/dialogs/slave_address_dialog_res.h"

namespace orv::win {
namespace {

// The list is always enabled here; Enter and Escape do nothing, and the
// dialog sends nothing, so it has no use for the socket notification.
INT_PTR CALLBACK slave_address_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Program* p = dialog_data<Program>(dialog, message, lparam);
  if (!p) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      begin_dialog(*p, dialog);
      SetWindowTextW(dialog, L"スレーブアドレスの設定  ");
      fill_slave_address_list(*p, dialog);
      return TRUE;
    case WM_CLOSE:
      end_dialog(*p, dialog, IDCANCEL);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_SLAVE_LIST && HIWORD(wparam) == CBN_SELCHANGE)
        take_slave_address(*p, dialog);
      if (LOWORD(wparam) == IDB_CLOSE) end_dialog(*p, dialog, IDB_CLOSE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_slave_address_dialog(Program& program) {
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_SLAVE_ADDRESS), program.main_window,
                  slave_address_proc, reinterpret_cast<LPARAM>(&program));
}

}  // namespace orv::win
