// "バックアップ…" and "リストア…" of the File menu: every unit the link
// reaches (the 32 addresses of an RS-485 bus, every converter connected to
// the TCP/IP server, or the one unit of RS-232C or the client), read into a
// settings file of its own, or set from it, one after another, paced by the
// replies; the settings in hand stay as they are.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_backup_dialog(Program& program);
void open_restore_dialog(Program& program);

}  // namespace orv::win
