// "パスワード": the unit's six-digit password and whether the unit asks for it
// on button and on menu operation.
#include "protocol/commands.h"
#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/dialogs/unit_settings_dialogs.h"
#include "win/dialogs/unit_settings_dialogs_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

struct PasswordDialog {
  Program& program;
  bool filling = false;  // the dialog itself puts text in the edit: nothing is typed
  DeviceSettings& settings() { return program.session.document.settings; }
};

// The number's "設定" is offered only for six digits.
void offer_password(PasswordDialog& d, HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDB_SET_PASSWORD),
               build_password(buffer_text(d.settings().password)).sendable());
}

void show_password(PasswordDialog& d, HWND dialog) {
  d.filling = true;
  SetDlgItemTextW(dialog, IDE_PASSWORD, from_shift_jis(buffer_text(d.settings().password)).c_str());
  d.filling = false;
}

void on_init(PasswordDialog& d, HWND dialog) {
  begin_dialog(d.program, dialog);
  SetWindowTextW(dialog, L"パスワード  ");
  fill_list(dialog, IDC_PASSWORD_ON_BUTTON, {"OFF", "ON"}, d.settings().passwordOnButton);
  fill_list(dialog, IDC_PASSWORD_ON_MENU, {"OFF", "ON"}, d.settings().passwordOnMenu);
  fill_slave_address_list(d.program, dialog);
  SendDlgItemMessageW(dialog, IDE_PASSWORD, EM_LIMITTEXT, 6, 0);
  offer_password(d, dialog);
  enable_slave_address_list_by_link(d.program, dialog);
  show_password(d, dialog);
}

// The password follows every keystroke, valid or not, but never grows past
// six bytes: a character that would take it there is refused with the
// warning beep (a longer password could not be written to a settings file
// and read back). Putting the stored password back raises a change of its
// own, which is not the operator's.
void on_password_edited(PasswordDialog& d, HWND dialog) {
  if (d.filling) return;
  wchar_t typed[16] = {};
  GetDlgItemTextW(dialog, IDE_PASSWORD, typed, 16);
  const auto bytes = to_shift_jis_exactly(typed);
  if (!bytes || bytes->size() > 6) {
    MessageBeep(MB_ICONWARNING);
    return show_password(d, dialog);
  }
  if (*bytes == buffer_text(d.settings().password)) return;
  set_buffer_text(d.settings().password, *bytes);
  offer_password(d, dialog);
  d.settings().settingsDirty = 1;
}

void on_command(PasswordDialog& d, HWND dialog, int id, int notification) {
  DeviceSettings& s = d.settings();
  const bool chosen = notification == CBN_SELCHANGE;
  switch (id) {
    case IDE_PASSWORD:
      if (notification == EN_CHANGE) on_password_edited(d, dialog);
      return;
    case IDC_PASSWORD_ON_BUTTON:
      if (chosen) store_list_choice(d.program, dialog, id, s.passwordOnButton);
      return;
    case IDC_PASSWORD_ON_MENU:
      if (chosen) store_list_choice(d.program, dialog, id, s.passwordOnMenu);
      return;
    case IDC_SLAVE_LIST:
      if (chosen) take_slave_address(d.program, dialog);
      return;
    case IDB_SET_PASSWORD:
      return send_single_command(d.program, build_password(buffer_text(s.password)));
    case IDB_SET_PASSWORD_ON_BUTTON:
      return send_single_command(d.program, build_password_on_button(s.passwordOnButton));
    case IDB_SET_PASSWORD_ON_MENU:
      return send_single_command(d.program, build_password_on_menu(s.passwordOnMenu));
    case IDB_CLOSE:
    case IDOK:      // Enter
    case IDCANCEL:  // Escape
      return end_dialog(d.program, dialog, id);
  }
}

INT_PTR CALLBACK password_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<PasswordDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      end_dialog(d->program, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_password_dialog(Program& program) {
  PasswordDialog dialog{program, false};
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_PASSWORD), program.shell.main_window,
                  password_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
