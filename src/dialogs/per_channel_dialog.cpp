#include "dialogs/per_channel_dialog.h"

#include <string>

#include "app/text_win.h"
#include "dialogs/dialog_common_win.h"
#include "resource.h"

namespace orv::win {
namespace {

struct PerChannelDialog {
  Program& program;
  PerChannelMember member;
  AppState& state() { return program.state; }
  const MemberTraits& traits() const { return member_traits(member); }
};

std::vector<std::string> value_items(const MemberTraits& traits) {
  return std::vector<std::string>(traits.values.begin(), traits.values.end());
}

void show_current_value(PerChannelDialog& d, HWND dialog) {
  select_item(dialog, IDC_VALUE_LIST, value_item_of_current(d.state(), d.member));
}

void on_init(PerChannelDialog& d, HWND dialog) {
  Program& p = d.program;
  begin_dialog(p, dialog);
  clamp_on_open(d.state(), d.member);
  set_caption_with_path(p, dialog, d.traits().title);
  set_control_text(dialog, IDC_CHANNEL_GROUP, d.traits().channel_label);
  set_control_text(dialog, IDC_VALUE_GROUP, d.traits().value_label);
  set_control_text(dialog, IDC_SAME_VALUE_GROUP, d.traits().same_value_label);
  fill_list(dialog, IDC_VALUE_LIST, value_items(d.traits()), -1);
  fill_list(dialog, IDC_SAME_VALUE_LIST, value_items(d.traits()), d.traits().same_value_initial);
  fill_list(dialog, IDC_CHANNEL_LIST, channel_items(d.member, d.state().settings.inputCount),
            selection_for(d.state(), d.member).current);
  fill_slave_address_list(p, dialog, IDC_SLAVE_LIST);
  enable_slave_address_list_by_link(p, dialog, IDC_SLAVE_LIST);
  show_current_value(d, dialog);
}

// The table of one page: a white rectangle, then "ch.nn =" and the value
// of each channel, in the paint context's default font.
void on_paint(PerChannelDialog& d, HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  Rectangle(dc, kTableLeft, kTableTop, kTableRight, kTableBottom);
  const PaintedTable table = painted_table(d.state(), d.member);
  for (const PaintedEntry& entry : table.entries) {
    const std::wstring label = widen(entry.label);
    const std::wstring value = widen(entry.value);
    TextOutW(dc, entry.label_x, entry.y, label.c_str(), static_cast<int>(label.size()));
    TextOutW(dc, entry.value_x, entry.y, value.c_str(), static_cast<int>(value.size()));
  }
  if (table.fixed_mark) {
    const std::wstring mark = widen(kFixedMark);
    TextOutW(dc, kFixedMarkX, kFixedMarkY, mark.c_str(), static_cast<int>(mark.size()));
  }
  EndPaint(dialog, &paint);
}

void repaint(HWND dialog) {
  InvalidateRect(dialog, nullptr, FALSE);
}

void on_channel_chosen(PerChannelDialog& d, HWND dialog) {
  if (choose_channel(d.state(), d.member, selected_item(dialog, IDC_CHANNEL_LIST))) repaint(dialog);
  show_current_value(d, dialog);
}

void on_value_chosen(PerChannelDialog& d, HWND dialog) {
  const int value = selected_item(dialog, IDC_VALUE_LIST);
  if (value < 0) return;
  store_value(d.state(), d.member, value);
  repaint(dialog);
}

void on_same_value_chosen(PerChannelDialog& d, HWND dialog) {
  const int value = selected_item(dialog, IDC_SAME_VALUE_LIST);
  if (value < 0) return;
  store_same_value(d.state(), d.member, value);
  repaint(dialog);
  show_current_value(d, dialog);
}

// A click while a reply is awaited is dropped.
template <typename Build>
void send_unless_waiting(PerChannelDialog& d, Build build) {
  if (d.state().reply.awaiting_reply != 0) return;
  d.state().reply.bulk_phase = kSingleCommand;
  d.program.send(build());
}

void on_command(PerChannelDialog& d, HWND dialog, int id, int notification) {
  switch (id) {
    case IDC_CHANNEL_LIST:
    case IDC_VALUE_LIST:
    case IDC_SAME_VALUE_LIST:
    case IDC_SLAVE_LIST:
      if (notification != CBN_SELCHANGE) return;
      if (id == IDC_CHANNEL_LIST) on_channel_chosen(d, dialog);
      if (id == IDC_VALUE_LIST) on_value_chosen(d, dialog);
      if (id == IDC_SAME_VALUE_LIST) on_same_value_chosen(d, dialog);
      if (id == IDC_SLAVE_LIST) take_slave_address(d.program, dialog, IDC_SLAVE_LIST);
      return;
    case IDB_SET:
      return send_unless_waiting(d, [&] { return per_channel_command(d.state(), d.member); });
    case IDB_SET_ALL:
      return send_unless_waiting(d, [&] { return all_channel_command(d.state(), d.member); });
    default:
      end_dialog(d.program, dialog, id);  // Close, and Enter and Escape alike
  }
}

INT_PTR CALLBACK per_channel_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    on_init(*reinterpret_cast<PerChannelDialog*>(lparam), dialog);
    return TRUE;
  }
  auto* d = reinterpret_cast<PerChannelDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!d) return FALSE;
  switch (message) {
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
  PerChannelDialog dialog{program, member};
  DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_PER_CHANNEL), program.main_window,
                  per_channel_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
