#include "win/base/dialog_common.h"

#include <commctrl.h>

#include "link/framing.h"
#include "resource.h"
#include "win/platform/text.h"

namespace orv::win {

void set_caption_with_path(Program& p, HWND dialog, const char* title) {
  const std::wstring caption = widen(title) + widen(p.session.document.settings.settingsFilePath);
  SetWindowTextW(dialog, caption.c_str());
}

void fill_list(HWND dialog, int list_id, const std::vector<std::string>& items, int selected) {
  HWND list = GetDlgItem(dialog, list_id);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
  select_item(dialog, list_id, selected);
}

void select_item(HWND dialog, int list_id, int index) {
  SendDlgItemMessageW(dialog, list_id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int selected_item(HWND dialog, int list_id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, list_id, CB_GETCURSEL, 0, 0));
}

void store_list_choice(Program& p, HWND dialog, int list_id, int& field) {
  const int item = selected_item(dialog, list_id);
  if (item < 0) return;
  field = item;
  p.session.document.settings.settingsDirty = 1;
}

void add_tooltip(HWND dialog, int control_id, const wchar_t* text) {
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!tip) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, control_id));
  tool.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 300);
}

void set_control_text(HWND dialog, int control_id, const char* utf8) {
  SetDlgItemTextW(dialog, control_id, widen(utf8).c_str());
}

std::string port_text(HWND dialog, int edit_id) {
  wchar_t port[8] = {};
  GetDlgItemTextW(dialog, edit_id, port, 8);
  std::string text;
  for (const wchar_t* c = port; *c && text.size() < 5; ++c)
    text += *c < 0x80 ? static_cast<char>(*c) : '?';
  return text;
}

void fill_slave_address_list(Program& p, HWND dialog) {
  std::vector<std::string> items;
  for (int address = 0; address < kSlaveAddressItems; ++address)
    items.push_back(slave_address_name(address));
  fill_list(dialog, IDC_SLAVE_LIST, items, p.session.selections.slaveAddress);
}

void enable_slave_address_list_by_link(Program& p, HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_SLAVE_LIST), p.session.config.addressed_serial());
}

void take_slave_address(Program& p, HWND dialog) {
  const int selected = selected_item(dialog, IDC_SLAVE_LIST);
  if (selected >= 0 && selected < kSlaveAddressItems) p.session.selections.slaveAddress = selected;
}

void draw_text(HDC dc, int x, int y, const std::string& utf8) {
  const std::wstring text = widen(utf8);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void repaint_table(HWND dialog) {
  InvalidateRect(dialog, nullptr, FALSE);
}

void add_list_columns(HWND list, const std::vector<ListColumn>& columns) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (size_t c = 0; c < columns.size(); ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(columns[c].header);
    column.cx = columns[c].width;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
}

void add_list_row(HWND list, const std::wstring& first_cell) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<wchar_t*>(first_cell.c_str());
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void set_list_cell(HWND list, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void paint_table(HDC dc, const PaintedTable& table) {
  Rectangle(dc, kTableLeft, kTableTop, kTableRight, kTableBottom);
  for (const PaintedEntry& entry : table) {
    draw_text(dc, entry.label_x, entry.y, entry.label);
    draw_text(dc, entry.value_x, entry.y, entry.value);
  }
}

void begin_dialog(Program& p, HWND dialog) {
  p.shell.current_dialog = dialog;
}

void end_dialog(Program& p, HWND dialog, INT_PTR result) {
  abandon_operator(p.session);
  p.shell.current_dialog = nullptr;
  EndDialog(dialog, result);
}

}  // namespace orv::win
