#include "win/titles/glyph_insertion_dialog.h"

#include "resource.h"
#include "titles/glyph_editor.h"
#include "titles/glyph_insertion.h"
#include "win/base/dialog_common.h"
#include "win/titles/glyph_insertion_dialog_res.h"

namespace orv::win {
namespace {

// The registration numbers and positions of the font size, showing the
// (clamped) values kept between openings.
void fill_ranges(Program& p, HWND dialog) {
  GlyphInsertion& insertion = p.session.selections.glyphInsertion;
  clamp_insertion(insertion);
  fill_list(dialog, IDC_INSERT_REGISTRATION_LIST,
            registration_items(glyph_size_of_font(insertion.font_size)), insertion.registration);
  fill_list(dialog, IDC_INSERT_POSITION_LIST, position_items(insertion.font_size),
            insertion.position);
}

void on_init(Program& p, HWND dialog) {
  Session& s = p.session;
  begin_dialog(p, dialog);
  SetWindowTextW(dialog, L"外字挿入  ");
  if (s.selections.inputChannel.current >= s.document.settings.inputCount) {
    s.selections.inputChannel.current = s.document.settings.inputCount - 1;
    s.selections.inputChannel.painted = s.selections.inputChannel.current;
  }
  std::vector<std::string> channels;
  for (int channel = 0; channel < s.document.settings.inputCount; ++channel)
    channels.push_back(channel_name(channel));
  fill_list(dialog, IDC_INSERT_CHANNEL_LIST, channels, s.selections.inputChannel.current);
  fill_list(dialog, IDC_INSERT_FONT_SIZE_LIST, {"LARGE", "MEDIUM", "SMALL"},
            s.selections.glyphInsertion.font_size);
  fill_ranges(p, dialog);
  std::vector<std::string> units;
  for (int address = 0; address < kBroadcastAddress; ++address)
    units.push_back(slave_address_name(address));
  fill_list(dialog, IDC_SLAVE_LIST, units,
            s.selections.slaveAddress < kBroadcastAddress ? s.selections.slaveAddress : -1);
  enable_slave_address_list_by_link(p, dialog);
}

void on_list_choice(Program& p, HWND dialog, int list) {
  const int item = selected_item(dialog, list);
  if (item < 0) return;
  Session& s = p.session;
  switch (list) {
    case IDC_INSERT_CHANNEL_LIST:
      s.selections.inputChannel.current = item;
      s.selections.inputChannel.painted = item;
      return;
    case IDC_INSERT_FONT_SIZE_LIST:
      s.selections.glyphInsertion.font_size = item;
      return fill_ranges(p, dialog);
    case IDC_INSERT_REGISTRATION_LIST:
      s.selections.glyphInsertion.registration = item;
      return;
    case IDC_INSERT_POSITION_LIST:
      s.selections.glyphInsertion.position = item;
      return;
    case IDC_SLAVE_LIST:
      take_slave_address(p, dialog);
      return;
  }
}

void on_command(Program& p, HWND dialog, int id, int notification) {
  switch (id) {
    case IDC_INSERT_CHANNEL_LIST:
    case IDC_INSERT_FONT_SIZE_LIST:
    case IDC_INSERT_REGISTRATION_LIST:
    case IDC_INSERT_POSITION_LIST:
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) on_list_choice(p, dialog, id);
      return;
    case IDB_SET:
      return send_single_command(p, insertion_command(p.session.selections.glyphInsertion,
                                                      p.session.selections.inputChannel.current));
    case IDB_CLOSE:
    case IDOK:      // Enter
    case IDCANCEL:  // Escape
      return end_dialog(p, dialog, id);
  }
}

INT_PTR CALLBACK glyph_insertion_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  Program* p = dialog_data<Program>(dialog, message, lparam);
  if (!p) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*p, dialog);
      return TRUE;
    case WM_COMMAND:
      on_command(*p, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      end_dialog(*p, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_glyph_insertion_dialog(Program& program) {
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_GLYPH_INSERTION),
                  program.shell.main_window, glyph_insertion_proc,
                  reinterpret_cast<LPARAM>(&program));
}

}  // namespace orv::win
