#include "win/main/dialog_table.h"

#include <cassert>

#include "resource.h"
#include "version.h"
#include "win/base/message_boxes.h"
#include "win/bulk/compare_dialog.h"
#include "win/bulk/fleet_dialog.h"
#include "win/bulk/whole_set_dialogs.h"
#include "win/converter/converter_dialog.h"
#include "win/dialogs/per_channel_dialog.h"
#include "win/dialogs/screen_pattern_dialog.h"
#include "win/dialogs/slave_address_dialog.h"
#include "win/dialogs/switching_pattern_dialog.h"
#include "win/dialogs/unit_settings_dialogs.h"
#include "win/link/communication_dialogs.h"
#include "win/link/traffic_log_window.h"
#include "win/status/status_window.h"
#include "win/titles/glyph_editor_dialog.h"
#include "win/titles/glyph_insertion_dialog.h"
#include "win/titles/title_dialog.h"

namespace orv::win {
namespace {

// What must hold before the command opens anything.
enum class Guard {
  none,
  // The dialog needs a reply from one unit: not with Broadcast on RS-485.
  one_unit,
  // The LAN converter is reached over the serial line only.
  serial_interface,
};

struct DialogEntry {
  int command;
  Guard guard;
  void (*open)(Program& program);
};

// The version is the one of the version resource.
INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, L"ORVELLAN/TARQUINE Version " ORV_VERSION_WIDE);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

void open_about_box(Program& p) {
  DialogBoxParamW(p.shell.instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), p.shell.main_window,
                  about_box_proc, 0);
}

template <PerChannelMember member>
void open_member(Program& p) {
  open_per_channel_dialog(p, member);
}

template <GlyphSize size>
void open_glyph_editor_of(Program& p) {
  open_glyph_editor(p, size);
}

constexpr DialogEntry kDialogs[] = {
    {IDM_ABOUT, Guard::none, open_about_box},
    {IDM_SCREEN_PATTERN, Guard::none, open_screen_pattern_dialog},
    {IDM_SWITCHING_PATTERN, Guard::none, open_switching_pattern_dialog},
    {IDM_DATE_TIME, Guard::none, open_date_time_dialog},
    {IDM_DATE_TIME_DISPLAY_INPUT, Guard::none,
     open_member<PerChannelMember::date_time_display_input>},
    {IDM_DATE_TIME_DISPLAY_OUTPUT, Guard::none,
     open_member<PerChannelMember::date_time_display_output>},
    {IDM_TITLE, Guard::none, open_title_dialog},
    {IDM_TITLE_DISPLAY_INPUT, Guard::none, open_member<PerChannelMember::title_display_input>},
    {IDM_TITLE_DISPLAY_OUTPUT, Guard::none, open_member<PerChannelMember::title_display_output>},
    {IDM_TITLE_POSITION, Guard::none, open_member<PerChannelMember::title_position>},
    {IDM_FONT_SIZE, Guard::none, open_member<PerChannelMember::font_size>},
    {IDM_TITLE_ADJUSTMENT, Guard::none, open_title_adjustment_dialog},
    {IDM_PASSWORD, Guard::none, open_password_dialog},
    {IDM_VIDEO_OUTPUT, Guard::none, open_member<PerChannelMember::video_output>},
    {IDM_SET_ALL, Guard::none, open_set_all_dialog},
    {IDM_GLYPH_LARGE, Guard::none, open_glyph_editor_of<GlyphSize::large>},
    {IDM_GLYPH_MEDIUM, Guard::none, open_glyph_editor_of<GlyphSize::medium>},
    {IDM_GLYPH_SMALL, Guard::none, open_glyph_editor_of<GlyphSize::small>},
    {IDM_GLYPH_INSERT, Guard::none, open_glyph_insertion_dialog},
    {IDM_SLAVE_ADDRESS, Guard::none, open_slave_address_dialog},
    {IDM_READ_ALL, Guard::one_unit, open_read_all_dialog},
    {IDM_FILE_BACKUP, Guard::none, open_backup_dialog},
    {IDM_FILE_RESTORE, Guard::none, open_restore_dialog},
    {IDM_FILE_COMPARE, Guard::none, open_compare_with_file},
    {IDM_UNIT_COMPARE, Guard::one_unit, open_compare_with_unit},
    {IDM_STATUS, Guard::one_unit, open_status_window},
    {IDM_INTERFACE, Guard::none, open_interface_dialog},
    {IDM_SERIAL_SETTINGS, Guard::none, open_serial_settings_dialog},
    {IDM_CLIENT_SERVER, Guard::none, open_client_server_dialog},
    {IDM_TCP_SETTINGS, Guard::none, open_tcp_dialog},
    {IDM_TRAFFIC_LOG, Guard::none, open_traffic_log_window},
    {IDM_PROTOCOL, Guard::serial_interface, open_converter_dialog},
};

bool guard_passes(Program& p, Guard guard) {
  const Session& s = p.session;
  switch (guard) {
    case Guard::none:
      return true;
    case Guard::one_unit:
      return !refuse_broadcast(p);
    case Guard::serial_interface:
      if (s.config.serial_interface()) return true;
      show_box(error_box("インターフェイスをRS-232C/RS-485にしてください。"));
      return false;
  }
  return false;
}

}  // namespace

void open_dialog_for_command(Program& program, int command) {
  for (const DialogEntry& entry : kDialogs) {
    if (entry.command != command) continue;
    if (guard_passes(program, entry.guard)) entry.open(program);
    return;
  }
  assert(!"a menu or panel command without a dialog");
}

}  // namespace orv::win
