// "TCP/IPの設定（Server）": listening for converters, the list of those
// connected, and the one commands go to. Like the client dialog it shows the
// link's state, which outlives it.
#include <string>

#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/base/timers_and_messages.h"
#include "win/link/communication_dialogs.h"
#include "win/link/communication_dialogs_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

struct TcpServerDialog {
  Program& program;
  HWND window = nullptr;
  bool filling = false;
  std::vector<ServerPlaces::Held> rows;  // what the client list shows, row by row
};

// The list shows the converters connected now, so a picked row is the
// converter it names; "Transmission Place" is blank when none is picked.
void refresh(TcpServerDialog& d) {
  const ServerPlaces& places = d.program.session.lines.server;
  d.rows = places.held();
  HWND list = GetDlgItem(d.window, IDC_CLIENT_LIST);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);  // one repaint for the whole list
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const ServerPlaces::Held& client : d.rows)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(client.address).c_str()));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SetDlgItemTextW(d.window, IDE_TRANSMISSION_PLACE,
                  widen(places.address_of(places.picked())).c_str());
  const bool listening = d.program.links.server.has_socket();
  EnableWindow(GetDlgItem(d.window, IDB_CONNECT), !listening);
  EnableWindow(GetDlgItem(d.window, IDE_PORT_NUMBER), !listening);
  EnableWindow(GetDlgItem(d.window, IDE_SERVER_ADDRESS), !listening);
  EnableWindow(GetDlgItem(d.window, IDB_DISCONNECT), listening);
}

void on_init(TcpServerDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, "TCP/IPの設定（Server）  ");
  SendDlgItemMessageW(dialog, IDE_PORT_NUMBER, EM_LIMITTEXT, 5, 0);
  d.filling = true;
  SetDlgItemTextW(dialog, IDE_PORT_NUMBER, widen(port_number(d.program.session)).c_str());
  const Configuration& c = d.program.session.config;
  SendDlgItemMessageW(dialog, IDE_SERVER_ADDRESS, EM_LIMITTEXT, kIntegerValueBuffer - 1, 0);
  SetDlgItemTextW(dialog, IDE_SERVER_ADDRESS, widen(c.server_address).c_str());
  CheckDlgButton(dialog, IDC_LISTED_HOSTS_ONLY, c.listed_hosts_only ? BST_CHECKED : BST_UNCHECKED);
  d.filling = false;
  refresh(d);
}

// The places take the host list and the check as they stand when the
// server starts listening, and again when the check changes, so a change
// applies to the next converter while the server listens.
void listen(TcpServerDialog& d) {
  Program& p = d.program;
  apply_allow_list(p.session.config, p.session.lines.server);
  p.links.server.listen_on(port_number(p.session), p.session.config.server_address,
                           report_tcp_failure);
  refresh(d);
}

void on_address_edited(TcpServerDialog& d) {
  if (d.filling) return;
  wchar_t text[kIntegerValueBuffer]{};
  GetDlgItemTextW(d.window, IDE_SERVER_ADDRESS, text, kIntegerValueBuffer);
  write_server_address(d.program.session.config, d.program.profile, narrow(text));
}

void on_listed_only_clicked(TcpServerDialog& d) {
  Session& session = d.program.session;
  write_listed_hosts_only(session.config, d.program.profile,
                          IsDlgButtonChecked(d.window, IDC_LISTED_HOSTS_ONLY) == BST_CHECKED);
  apply_allow_list(session.config, session.lines.server);
}

void stop(TcpServerDialog& d) {
  d.program.links.server.disconnect_all();
  refresh(d);
  SetDlgItemTextW(d.window, IDE_TRANSMISSION_PLACE, std::wstring(16, L' ').c_str());
}

void pick(TcpServerDialog& d) {
  const int row =
      static_cast<int>(SendDlgItemMessageW(d.window, IDC_CLIENT_LIST, LB_GETCURSEL, 0, 0));
  const bool listed = row >= 0 && row < static_cast<int>(d.rows.size());
  d.program.links.server.pick(listed ? d.rows[static_cast<size_t>(row)].place : 0);
  refresh(d);
}

void on_port_edited(TcpServerDialog& d) {
  if (!d.filling) set_port_number(d.program.session, port_text(d.window, IDE_PORT_NUMBER));
}

void on_command(TcpServerDialog& d, int id, int notification) {
  switch (id) {
    case IDE_PORT_NUMBER:
      if (notification == EN_CHANGE) on_port_edited(d);
      return;
    case IDE_SERVER_ADDRESS:
      if (notification == EN_CHANGE) on_address_edited(d);
      return;
    case IDC_LISTED_HOSTS_ONLY:
      if (notification == BN_CLICKED) on_listed_only_clicked(d);
      return;
    case IDC_CLIENT_LIST:
      if (notification == LBN_DBLCLK) pick(d);
      return;
    case IDB_CONNECT:
      return listen(d);
    case IDB_DISCONNECT:
      return stop(d);
    case IDB_CLOSE:
      return end_dialog(d.program, d.window, IDB_CLOSE);
  }
}

INT_PTR CALLBACK tcp_server_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<TcpServerDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_APP_LINK_CHANGED:
      refresh(*d);
      return TRUE;
    case WM_COMMAND:
      on_command(*d, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      end_dialog(d->program, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_tcp_dialog(Program& program) {
  if (program.session.config.client_server == 0) return open_tcp_client_dialog(program);
  TcpServerDialog dialog{program, nullptr, false, {}};
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_TCP_SERVER),
                  program.shell.main_window, tcp_server_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
