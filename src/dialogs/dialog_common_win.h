// What every setting dialog does alike: its caption, the shared slave
// address list, filling lists, and the bookkeeping when it opens and closes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/program_win.h"

namespace orv::win {

// The dialog's title followed by the settings file in use.
void set_caption_with_path(Program& program, HWND dialog, const char* title);
void fill_list(HWND dialog, int list_id, const std::vector<std::string>& items, int selected);
void select_item(HWND dialog, int list_id, int index);
int selected_item(HWND dialog, int list_id);
void set_control_text(HWND dialog, int control_id, const char* utf8);

// "00".."31", "Broadcast", showing the program-wide selection.
void fill_slave_address_list(Program& program, HWND dialog, int list_id);
// Enabled only on the serial line in RS-485 mode.
void enable_slave_address_list_by_link(Program& program, HWND dialog, int list_id);
void take_slave_address(Program& program, HWND dialog, int list_id);

void begin_dialog(Program& program, HWND dialog);
// Ends the wait for any reply still outstanding, clears current_dialog and
// ends the dialog.
void end_dialog(Program& program, HWND dialog, INT_PTR result);

}  // namespace orv::win
