// "TCP/IPの設定（Client）": the host list, the port, and the connection to the
// chosen converter. The connection belongs to the link, not to the dialog:
// it stays when the dialog closes, and the dialog shows its state whenever
// the link reports a change.
#include <windows.h>
#include <winsock2.h>

#include <commctrl.h>

#include <string>

#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/link/communication_dialogs.h"
#include "win/link/communication_dialogs_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

struct TcpClientDialog {
  Program& program;
  HWND window = nullptr;
  bool filling = false;  // the dialog fills the port edit itself
  Configuration& config() { return program.session.config; }
};

void show_address(TcpClientDialog& d, int entry) {
  const Configuration& c = d.config();
  if (entry < 0 || entry >= c.ip_address_count) return;
  const Octets& a = c.host_addresses[static_cast<size_t>(entry)];
  SendDlgItemMessageW(d.window, IDC_HOST_ADDRESS, IPM_SETADDRESS, 0,
                      static_cast<LPARAM>(MAKEIPADDRESS(a[0], a[1], a[2], a[3])));
}

// The list holds the entries in use, and only those, every time.
void fill_host_list(TcpClientDialog& d) {
  HWND list = GetDlgItem(d.window, IDC_HOST_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const Configuration& c = d.config();
  for (int i = 0; i < c.ip_address_count; ++i) {
    const std::wstring row = widen(format_host_address(c.host_addresses[static_cast<size_t>(i)]));
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  }
}

void show_connection(TcpClientDialog& d) {
  const TcpClientLink& tcp = d.program.links.client;
  EnableWindow(GetDlgItem(d.window, IDB_CONNECT), !tcp.has_socket() && !tcp.connected());
  EnableWindow(GetDlgItem(d.window, IDB_DISCONNECT), tcp.has_socket() || tcp.connected());
  const wchar_t* state = tcp.connecting() ? L"接続中…" : tcp.connected() ? L"接続済み" : L"";
  SetDlgItemTextW(d.window, IDC_CONNECTION_STATE, state);
}

void on_init(TcpClientDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, "TCP/IPの設定（Client）  ");
  fill_host_list(d);
  show_address(d, d.config().client_select_ip_address);
  show_connection(d);
  SendDlgItemMessageW(dialog, IDE_PORT_NUMBER, EM_LIMITTEXT, 5, 0);
  d.filling = true;
  SetDlgItemTextW(dialog, IDE_PORT_NUMBER, widen(port_number(d.program.session)).c_str());
  d.filling = false;
}

void add_host_entry(TcpClientDialog& d) {
  DWORD packed = 0;
  SendDlgItemMessageW(d.window, IDC_HOST_ADDRESS, IPM_GETADDRESS, 0,
                      reinterpret_cast<LPARAM>(&packed));
  const Octets address{
      static_cast<int>(FIRST_IPADDRESS(packed)), static_cast<int>(SECOND_IPADDRESS(packed)),
      static_cast<int>(THIRD_IPADDRESS(packed)), static_cast<int>(FOURTH_IPADDRESS(packed))};
  if (!add_host(d.config(), d.program.profile, address)) {
    show_box(error_box("ホストリストはいっぱいです。"));
    return;
  }
  fill_host_list(d);
}

void delete_host_entry(TcpClientDialog& d) {
  const int row =
      static_cast<int>(SendDlgItemMessageW(d.window, IDC_HOST_LIST, LB_GETCURSEL, 0, 0));
  const int shown = delete_host(d.config(), d.program.profile, row);
  fill_host_list(d);
  show_address(d, shown);
}

void choose_host(TcpClientDialog& d) {
  const int row =
      static_cast<int>(SendDlgItemMessageW(d.window, IDC_HOST_LIST, LB_GETCURSEL, 0, 0));
  if (row < 0 || row >= d.config().ip_address_count) return;
  d.config().client_select_ip_address = row;
  show_address(d, row);
}

// A selection that names no entry in use connects to nothing.
void connect(TcpClientDialog& d) {
  TcpClientLink& tcp = d.program.links.client;
  if (tcp.has_socket()) return;
  const auto host = d.config().selected_host();
  if (!host) return report_tcp_failure("接続できません");
  tcp.connect_to(*host, port_number(d.program.session), d.config().connect_timeout_ms,
                 report_tcp_failure);
  show_connection(d);
}

void disconnect(TcpClientDialog& d) {
  TcpClientLink& tcp = d.program.links.client;
  if (!tcp.has_socket() && !tcp.connected()) return;
  tcp.disconnect();
  show_box(success_box("Socket 切断 OK"));
  show_connection(d);
}

void close(TcpClientDialog& d) {
  write_client_selection(d.config(), d.program.profile);
  end_dialog(d.program, d.window, IDB_CLOSE);
}

void on_command(TcpClientDialog& d, int id, int notification) {
  switch (id) {
    case IDE_PORT_NUMBER:
      if (notification == EN_CHANGE && !d.filling)
        set_port_number(d.program.session, port_text(d.window, IDE_PORT_NUMBER));
      return;
    case IDC_HOST_LIST:
      if (notification == LBN_DBLCLK) choose_host(d);
      return;
    case IDB_ADD_HOST:
      return add_host_entry(d);
    case IDB_DELETE_HOST:
      return delete_host_entry(d);
    case IDB_CONNECT:
      return connect(d);
    case IDB_DISCONNECT:
      return disconnect(d);
    case IDB_CLOSE:
      return close(d);
  }
}

INT_PTR CALLBACK tcp_client_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<TcpClientDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_APP_LINK_CHANGED:
      show_connection(*d);
      return TRUE;
    case WM_COMMAND:
      on_command(*d, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close(*d);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_tcp_client_dialog(Program& program) {
  TcpClientDialog dialog{program, nullptr, false};
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_TCP_CLIENT),
                  program.shell.main_window, tcp_client_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
