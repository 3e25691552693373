#include "win/converter/converter_dialog.h"

#include <windows.h>
#include <winsock2.h>

#include <commctrl.h>

#include "protocol/commands.h"
#include "resource.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/converter/converter_dialog_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

constexpr int kSetButtons[] = {
    IDB_SET_CONVERTER_IP,     IDB_SET_CONVERTER_GATEWAY,        IDB_SET_CONVERTER_ACTIVE,
    IDB_SET_CONVERTER_SUBNET, IDB_SET_CONVERTER_CONNECTION_TRY, IDB_SET_CONVERTER_TIME_REGISTER,
    IDB_SET_CONVERTER_PORT,   IDB_SET_CONVERTER_KEEP_ALIVE};

// The read greys every button: the eight "設定", "読み込み" itself and "Close".
std::vector<int> locked_while_reading() {
  std::vector<int> locked(std::begin(kSetButtons), std::end(kSetButtons));
  locked.push_back(IDB_CLOSE);
  return locked;
}

struct ConverterDialog {
  explicit ConverterDialog(Program& p)
      : program(p),
        run(p,
            {.timer = kConverterReadTimer,
             .button = IDB_CONVERTER_READ,
             .idle_label = "読み込み",
             .progress_bar = IDC_PROGRESS,
             .progress_range = 11,  // one more than its ten reads
             .locked = locked_while_reading(),
             .lock_slave_list = false,
             .to_converter = true,
             .cancellable = false,
             .reads_whole = true,
             .reply_paced_check = IDC_REPLY_PACED},
            [this](bool completed) { finish(completed); }) {}
  void finish(bool completed);

  Program& program;
  BulkRunBinding run;
  HWND window = nullptr;
  bool filling = false;  // the controls are being filled, not edited
  DeviceSettings& settings() { return program.session.document.settings; }
};

void show_octets(HWND dialog, int control, const Octets& a) {
  SendDlgItemMessageW(dialog, control, IPM_SETADDRESS, 0,
                      static_cast<LPARAM>(MAKEIPADDRESS(a[0], a[1], a[2], a[3])));
}

Octets octets_of(HWND dialog, int control) {
  DWORD packed = 0;
  SendDlgItemMessageW(dialog, control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
  return {static_cast<int>(FIRST_IPADDRESS(packed)), static_cast<int>(SECOND_IPADDRESS(packed)),
          static_cast<int>(THIRD_IPADDRESS(packed)), static_cast<int>(FOURTH_IPADDRESS(packed))};
}

// Every control from the converter fields and the port in use.
void show_fields(ConverterDialog& d) {
  HWND dialog = d.window;
  const DeviceSettings& s = d.settings();
  d.filling = true;
  show_octets(dialog, IDC_CONVERTER_IP, s.converterIpAddress);
  show_octets(dialog, IDC_CONVERTER_GATEWAY, s.converterGatewayAddress);
  show_octets(dialog, IDC_CONVERTER_ACTIVE, s.converterActiveAddress);
  select_item(dialog, IDC_CONVERTER_SUBNET, s.converterSubnetClass);
  select_item(dialog, IDC_CONVERTER_CONNECTION_TRY, s.converterConnectionTry);
  select_item(dialog, IDC_CONVERTER_TIME_REGISTER, s.converterTimeRegister);
  select_item(dialog, IDC_CONVERTER_KEEP_ALIVE, s.converterKeepAlive);
  const std::string_view mac = buffer_text(s.converterMacAddress);
  const std::string_view version = buffer_text(s.converterVersion);
  SetDlgItemTextW(dialog, IDE_CONVERTER_MAC,
                  widen(mac.empty() ? "00-00-00-00-00-00" : mac).c_str());
  SetDlgItemTextW(dialog, IDE_CONVERTER_VERSION, widen(version.empty() ? "0.00" : version).c_str());
  d.filling = false;
  // Filling the port edit writes the port to the configuration file too.
  SetDlgItemTextW(dialog, IDE_CONVERTER_PORT, widen(port_number(d.program.session)).c_str());
}

void ConverterDialog::finish(bool completed) {
  if (!completed) return;
  settings().settingsDirty = 1;
  show_box(MessageBoxRequest{BoxKind::connected, "読み込みが完了しました", "接続成功"});
  show_fields(*this);
}

void on_init(ConverterDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  set_caption_with_path(d.program, dialog, "プロトコルの設定  ");
  set_buffer_text(d.settings().converterVersion, "");
  set_buffer_text(d.settings().converterMacAddress, "");
  fill_list(dialog, IDC_CONVERTER_SUBNET, {"Class A", "Class B", "Class C"}, -1);
  fill_list(dialog, IDC_CONVERTER_CONNECTION_TRY, {"OFF", "ON"}, -1);
  fill_list(dialog, IDC_CONVERTER_TIME_REGISTER, {"10", "20", "30", "40", "50", "60"}, -1);
  fill_list(dialog, IDC_CONVERTER_KEEP_ALIVE, {"OFF", "ON"}, -1);
  SendDlgItemMessageW(dialog, IDE_CONVERTER_PORT, EM_LIMITTEXT, 5, 0);
  d.run.attach(dialog);
  show_fields(d);
}

// The port edit is the converter's port and the TCP/IP link's in one.
void on_port_edited(ConverterDialog& d) {
  set_port_number(d.program.session, port_text(d.window, IDE_CONVERTER_PORT));
}

int* list_field(DeviceSettings& s, int list) {
  switch (list) {
    case IDC_CONVERTER_SUBNET:
      return &s.converterSubnetClass;
    case IDC_CONVERTER_CONNECTION_TRY:
      return &s.converterConnectionTry;
    case IDC_CONVERTER_TIME_REGISTER:
      return &s.converterTimeRegister;
    case IDC_CONVERTER_KEEP_ALIVE:
      return &s.converterKeepAlive;
    default:
      return nullptr;
  }
}

Octets* address_field(DeviceSettings& s, int control) {
  switch (control) {
    case IDC_CONVERTER_IP:
      return &s.converterIpAddress;
    case IDC_CONVERTER_GATEWAY:
      return &s.converterGatewayAddress;
    case IDC_CONVERTER_ACTIVE:
      return &s.converterActiveAddress;
    default:
      return nullptr;
  }
}

Command set_command(const Session& session, int button) {
  const DeviceSettings& s = session.document.settings;
  switch (button) {
    case IDB_SET_CONVERTER_IP:
      return build_converter_ip_address(s.converterIpAddress);
    case IDB_SET_CONVERTER_GATEWAY:
      return build_converter_gateway_address(s.converterGatewayAddress);
    case IDB_SET_CONVERTER_ACTIVE:
      return build_converter_active_address(s.converterActiveAddress);
    case IDB_SET_CONVERTER_SUBNET:
      return build_converter_subnet_class(s.converterSubnetClass);
    case IDB_SET_CONVERTER_CONNECTION_TRY:
      return build_converter_connection_try(s.converterConnectionTry);
    case IDB_SET_CONVERTER_TIME_REGISTER:
      return build_converter_time_register(s.converterTimeRegister);
    case IDB_SET_CONVERTER_PORT:
      return build_converter_port_number(port_number(session));
    default:
      return build_converter_keep_alive(s.converterKeepAlive);
  }
}

// A converter read needs the answer of one unit.
void start_read(ConverterDialog& d) {
  if (refuse_broadcast(d.program)) return;
  d.run.press(kConverterReadCount, [](int step) {
    return BulkStep{build_converter_read(step - 1), "converter read " + std::to_string(step)};
  });
}

// Every change of an address control, typed or set, lands in its field. The
// control reports a change both as EN_CHANGE and, when the operator leaves an
// octet, as IPN_FIELDCHANGED.
void read_address(ConverterDialog& d, int control) {
  Octets* field = address_field(d.settings(), control);
  if (!field || d.filling) return;
  const Octets typed = octets_of(d.window, control);
  if (typed == *field) return;  // moving between octets changes nothing
  *field = typed;
  d.settings().settingsDirty = 1;
}

void on_command(ConverterDialog& d, int id, int notification) {
  if (address_field(d.settings(), id)) {
    if (notification == EN_CHANGE) read_address(d, id);
    return;
  }
  if (int* field = list_field(d.settings(), id)) {
    if (notification == CBN_SELCHANGE && !d.filling)
      store_list_choice(d.program, d.window, id, *field);
    return;
  }
  switch (id) {
    case IDE_CONVERTER_PORT:
      if (notification == EN_CHANGE) on_port_edited(d);
      return;
    case IDB_CONVERTER_READ:
      return start_read(d);
    case IDB_CLOSE:
      d.run.abandon();
      return end_dialog(d.program, d.window, IDB_CLOSE);
  }
  for (int button : kSetButtons) {
    if (id != button) continue;
    if (d.program.session.operator_road.exchange.awaiting_reply()) return;
    return send_to_converter(d.program, set_command(d.program.session, button));
  }
  // Enter and Escape do nothing.
}

void on_address_changed(ConverterDialog& d, const NMHDR& header) {
  if (header.code == IPN_FIELDCHANGED) read_address(d, static_cast<int>(header.idFrom));
}

INT_PTR CALLBACK converter_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<ConverterDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_TIMER:
      return d->run.on_timer(wparam) ? TRUE : FALSE;
    case WM_APP_RUN_SETTLED:
      return d->run.on_settled() ? TRUE : FALSE;
    case WM_NOTIFY:
      on_address_changed(*d, *reinterpret_cast<NMHDR*>(lparam));
      return TRUE;
    case WM_COMMAND:
      on_command(*d, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      d->run.abandon();
      end_dialog(d->program, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_converter_dialog(Program& program) {
  ConverterDialog dialog(program);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_CONVERTER),
                  program.shell.main_window, converter_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
