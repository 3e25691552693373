// What every setting dialog does alike: its caption, the shared slave
// address list, filling lists, and the bookkeeping when it opens and closes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "unit_settings/painted_table.h"
#include "win/base/program.h"

namespace orv::win {

// The dialog's title followed by the settings file in use.
void set_caption_with_path(Program& program, HWND dialog, const char* title);
void fill_list(HWND dialog, int list_id, const std::vector<std::string>& items, int selected);
void select_item(HWND dialog, int list_id, int index);
int selected_item(HWND dialog, int list_id);
void set_control_text(HWND dialog, int control_id, const char* utf8);
// A tooltip on one control, owned (and destroyed) by its dialog.
void add_tooltip(HWND dialog, int control_id, const wchar_t* text);

// A list view of rows and columns (the backup window's units, the
// comparison's differences): its headers and widths in pixels, a new row
// at the end with its first cell, and one cell's text.
struct ListColumn {
  const wchar_t* header;
  int width;
};
void add_list_columns(HWND list, const std::vector<ListColumn>& columns);
void add_list_row(HWND list, const std::wstring& first_cell);
void set_list_cell(HWND list, int row, int column, const std::wstring& text);
// A port number edit's text, at most five characters. A character outside
// ASCII (a full-width digit from the input method) is kept as "?": the port
// is then refused where it is used, and no broken multibyte text reaches the
// configuration file.
std::string port_text(HWND dialog, int edit_id);
// The list's chosen item lands in `field` and the set becomes dirty (nothing
// happens when no item is chosen).
void store_list_choice(Program& program, HWND dialog, int list_id, int& field);

// "00".."31", "Broadcast", showing the program-wide selection.
void fill_slave_address_list(Program& program, HWND dialog);
// Enabled only on the serial line in RS-485 mode.
void enable_slave_address_list_by_link(Program& program, HWND dialog);
void take_slave_address(Program& program, HWND dialog);

// The table above a dialog's controls: the white rectangle and every entry,
// in the paint context's default font.
void paint_table(HDC dc, const PaintedTable& table);
void draw_text(HDC dc, int x, int y, const std::string& utf8);
// Paints the dialog again without erasing it first: the table's white
// rectangle covers whatever was painted before.
void repaint_table(HWND dialog);

// The dialog becomes the program's current dialog.
void begin_dialog(Program& program, HWND dialog);
// Ends the wait for any reply still outstanding, clears the current dialog
// and ends the dialog.
void end_dialog(Program& program, HWND dialog, INT_PTR result);

// The dialog's own data, kept in DWLP_USER from WM_INITDIALOG on (null before).
template <typename T>
T* dialog_data(HWND dialog, UINT message, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lparam);
  return reinterpret_cast<T*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

}  // namespace orv::win
