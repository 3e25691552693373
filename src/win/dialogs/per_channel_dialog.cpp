#include "win/dialogs/per_channel_dialog.h"

#include <string>

#include "resource.h"
#include "unit_settings/per_channel.h"
#include "win/base/dialog_common.h"
#include "win/base/scoped.h"
#include "win/dialogs/per_channel_dialog_res.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

// The channel choice a member shares with its side.
ChannelSelection& selection_for(Selections& s, PerChannelMember member) {
  switch (channel_array(member).side) {
    case ChannelSide::input:
      return s.inputChannel;
    case ChannelSide::output:
      return s.outputChannel;
    case ChannelSide::video_output:
      break;
  }
  return s.videoOutputChannel;
}

struct PerChannelDialog {
  PerChannelDialog(Program& p, PerChannelMember member)
      : program(p),
        editor(member, p.session.document.settings, selection_for(p.session.selections, member)) {}
  Program& program;
  PerChannelEditor editor;
};

std::vector<std::string> texts(const std::vector<const char*>& items) {
  return std::vector<std::string>(items.begin(), items.end());
}

void show_current_value(PerChannelDialog& d, HWND dialog) {
  select_item(dialog, IDC_VALUE_LIST, d.editor.value_item_of_current());
}

void on_init(PerChannelDialog& d, HWND dialog) {
  Program& p = d.program;
  const MemberTraits& traits = d.editor.traits();
  begin_dialog(p, dialog);
  d.editor.clamp_on_open();
  set_caption_with_path(p, dialog, traits.title);
  set_control_text(dialog, IDC_CHANNEL_GROUP, traits.channel_label);
  set_control_text(dialog, IDC_VALUE_GROUP, traits.value_label);
  set_control_text(dialog, IDC_SAME_VALUE_GROUP, traits.same_value_label);
  fill_list(dialog, IDC_VALUE_LIST, texts(traits.values), -1);
  fill_list(dialog, IDC_SAME_VALUE_LIST, texts(traits.values), traits.same_value_initial);
  fill_list(dialog, IDC_CHANNEL_LIST, d.editor.channel_items(), d.editor.current_item());
  fill_slave_address_list(p, dialog);
  enable_slave_address_list_by_link(p, dialog);
  show_current_value(d, dialog);
}

// The table of one page: a white rectangle, then "ch.nn =" and the value
// of each channel, in the paint context's default font.
void on_paint(PerChannelDialog& d, HWND dialog) {
  const PaintScope paint(dialog);
  paint_table(paint.dc(), d.editor.painted_table());
  if (d.editor.fixed_mark()) draw_text(paint.dc(), kFixedMarkX, kFixedMarkY, kFixedMark);
}

void on_list_choice(PerChannelDialog& d, HWND dialog, int list) {
  const int item = selected_item(dialog, list);
  switch (list) {
    case IDC_CHANNEL_LIST:
      if (d.editor.choose_channel(item)) repaint_table(dialog);
      show_current_value(d, dialog);
      return;
    case IDC_VALUE_LIST:
      if (item < 0) return;
      d.editor.store_value(item);
      repaint_table(dialog);
      return;
    case IDC_SAME_VALUE_LIST:
      if (item < 0) return;
      d.editor.store_same_value(item);
      repaint_table(dialog);
      show_current_value(d, dialog);
      return;
    case IDC_SLAVE_LIST:
      take_slave_address(d.program, dialog);
      return;
  }
}

void on_command(PerChannelDialog& d, HWND dialog, int id, int notification) {
  switch (id) {
    case IDC_CHANNEL_LIST:
    case IDC_VALUE_LIST:
    case IDC_SAME_VALUE_LIST:
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) on_list_choice(d, dialog, id);
      return;
    case IDB_SET:
      return send_single_command(d.program, d.editor.per_channel_command());
    case IDB_SET_ALL:
      return send_single_command(d.program, d.editor.all_channel_command());
    case IDB_CLOSE:
    case IDOK:      // Enter
    case IDCANCEL:  // Escape
      return end_dialog(d.program, dialog, id);
  }
}

INT_PTR CALLBACK per_channel_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<PerChannelDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_PAINT:
      on_paint(*d, dialog);
      return TRUE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      end_dialog(d->program, dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_per_channel_dialog(Program& program, PerChannelMember member) {
  PerChannelDialog dialog(program, member);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_PER_CHANNEL),
                  program.shell.main_window, per_channel_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
