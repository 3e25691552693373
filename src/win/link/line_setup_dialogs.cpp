// The three small dialogs that choose how the units are reached: a list or
// two and "OK". Each writes a configuration key only when its value changed;
// the close box closes without taking the choice.
#include <string>
#include <vector>

#include "link/framing.h"
#include "resource.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/link/communication_dialogs.h"
#include "win/link/communication_dialogs_res.h"

namespace orv::win {
namespace {

struct LineSetup {
  Program& program;
  const char* title;
  std::vector<int> lists;                       // the dialog's lists, in order
  std::vector<std::vector<std::string>> items;  // their items
  std::vector<int> values;                      // what each list shows at first
  void (*take)(Program& program, const std::vector<int>& chosen);
};

// With a TCP/IP socket open the interface and the role stay as they are:
// "切断" and the program's close would be out of reach otherwise.
bool refuse_while_connected(Program& p) {
  if (!p.links.tcp_open()) return false;
  show_box(error_box("TCP/IPを切断してください。"));
  return true;
}

void take_interface(Program& p, const std::vector<int>& chosen) {
  Configuration& c = p.session.config;
  if (chosen[0] == c.interface_set) return;
  if (refuse_while_connected(p)) return;
  c.interface_set = chosen[0];
  line_changed(p);
  write_digit(p.profile, "interface_set", c.interface_set);
  // The serial line answers at once, without a restart of the program.
  if (c.serial_interface() && !p.links.serial.is_open()) open_com_port(p);
}

void take_serial_settings(Program& p, const std::vector<int>& chosen) {
  Configuration& c = p.session.config;
  if (chosen[1] != c.control) {
    c.control = chosen[1];
    write_digit(p.profile, "control", c.control);
    line_changed(p);
  }
  if (chosen[0] != c.com_port) {
    c.com_port = chosen[0];
    write_digit(p.profile, "com_port", c.com_port);
    open_com_port(p);  // closes the port in use, with its reader, first
  }
}

void take_role(Program& p, const std::vector<int>& chosen) {
  Configuration& c = p.session.config;
  if (chosen[0] == c.client_server) return;
  if (refuse_while_connected(p)) return;
  c.client_server = chosen[0];
  write_digit(p.profile, "client_server", c.client_server);
}

void on_init(LineSetup& d, HWND dialog) {
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, d.title);
  for (size_t i = 0; i < d.lists.size(); ++i)
    fill_list(dialog, d.lists[i], d.items[i], d.values[i]);
}

void take_choice(LineSetup& d, HWND dialog) {
  std::vector<int> chosen;
  for (size_t i = 0; i < d.lists.size(); ++i) {
    const int item = selected_item(dialog, d.lists[i]);
    chosen.push_back(item >= 0 ? item : d.values[i]);
  }
  d.take(d.program, chosen);
  end_dialog(d.program, dialog, IDOK);
}

void on_command(LineSetup& d, HWND dialog, int id) {
  if (id == IDOK) return take_choice(d, dialog);
  if (id == IDCANCEL) end_dialog(d.program, dialog, IDCANCEL);  // Escape: as the close box
}

INT_PTR CALLBACK line_setup_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<LineSetup>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      end_dialog(d->program, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

void open_line_setup(Program& p, int template_id, LineSetup setup) {
  DialogBoxParamW(p.shell.instance, MAKEINTRESOURCEW(template_id), p.shell.main_window,
                  line_setup_proc, reinterpret_cast<LPARAM>(&setup));
}

}  // namespace

void open_interface_dialog(Program& p) {
  open_line_setup(p, IDD_INTERFACE,
                  {p,
                   "インターフェイスの設定  ",
                   {IDC_INTERFACE_LIST},
                   {{"RS-232C/RS-485", "TCP/IP"}},
                   {p.session.config.interface_set},
                   take_interface});
}

void open_serial_settings_dialog(Program& p) {
  std::vector<std::string> ports;
  for (int port = 0; port < 6; ++port) ports.push_back(com_port_name(port));
  const Configuration& c = p.session.config;
  open_line_setup(p, IDD_SERIAL_SETTINGS,
                  {p,
                   "RS-232C/RS485の設定  ",
                   {IDC_COM_PORT_LIST, IDC_CONTROL_LIST},
                   {ports, {"RS-232C", "RS-485"}},
                   {c.com_port, c.control},
                   take_serial_settings});
}

void open_client_server_dialog(Program& p) {
  open_line_setup(p, IDD_CLIENT_SERVER,
                  {p,
                   "クライアント/サーバー  ",
                   {IDC_ROLE_LIST},
                   {{"Client", "Server"}},
                   {p.session.config.client_server},
                   take_role});
}

}  // namespace orv::win
