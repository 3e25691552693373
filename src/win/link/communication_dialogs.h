// The dialogs of the menu "通信": which interface reaches the units, the
// serial port and line, the TCP/IP role, and the TCP/IP connection itself as
// client (with its host list) or as server (with its client list).
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_interface_dialog(Program& program);
void open_serial_settings_dialog(Program& program);
void open_client_server_dialog(Program& program);
// The client or the server dialog, as client_server says.
void open_tcp_dialog(Program& program);
void open_tcp_client_dialog(Program& program);

}  // namespace orv::win
