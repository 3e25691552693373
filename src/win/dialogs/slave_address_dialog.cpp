#include "win/dialogs/slave_address_dialog.h"

#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/dialogs/slave_address_dialog_res.h"

namespace orv::win {
namespace {

// The list is always enabled here.
void on_init(Program& p, HWND dialog) {
  begin_dialog(p, dialog);
  SetWindowTextW(dialog, L"スレーブアドレスの設定  ");
  fill_slave_address_list(p, dialog);
}

// Enter and Escape do nothing.
void on_command(Program& p, HWND dialog, int id, int notification) {
  if (id == IDC_SLAVE_LIST && notification == CBN_SELCHANGE) take_slave_address(p, dialog);
  if (id == IDB_CLOSE) end_dialog(p, dialog, IDB_CLOSE);
}

INT_PTR CALLBACK slave_address_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Program* p = dialog_data<Program>(dialog, message, lparam);
  if (!p) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*p, dialog);
      return TRUE;
    case WM_CLOSE:
      end_dialog(*p, dialog, IDCANCEL);
      return TRUE;
    case WM_COMMAND:
      on_command(*p, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_slave_address_dialog(Program& program) {
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_SLAVE_ADDRESS),
                  program.shell.main_window, slave_address_proc,
                  reinterpret_cast<LPARAM>(&program));
}

}  // namespace orv::win
