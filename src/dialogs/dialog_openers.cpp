#include "dialogs/dialog_openers.h"

#include "dialogs/per_channel_dialog.h"
#include "dialogs/slave_address_dialog.h"
#include "resource.h"

namespace orv::win {

void open_setting_dialog(Program& program, int command) {
  switch (command) {
    case IDM_DATE_TIME_DISPLAY_INPUT:
      return open_per_channel_dialog(program, PerChannelMember::date_time_display_input);
    case IDM_DATE_TIME_DISPLAY_OUTPUT:
      return open_per_channel_dialog(program, PerChannelMember::date_time_display_output);
    case IDM_TITLE_DISPLAY_INPUT:
      return open_per_channel_dialog(program, PerChannelMember::title_display_input);
    case IDM_TITLE_DISPLAY_OUTPUT:
      return open_per_channel_dialog(program, PerChannelMember::title_display_output);
    case IDM_TITLE_POSITION:
      return open_per_channel_dialog(program, PerChannelMember::title_position);
    case IDM_FONT_SIZE:
      return open_per_channel_dialog(program, PerChannelMember::font_size);
    case IDM_VIDEO_OUTPUT:
      return open_per_channel_dialog(program, PerChannelMember::video_output);
    case IDM_SLAVE_ADDRESS:
      return open_slave_address_dialog(program);
    default:
      return;  // dialogs of later parts of the program
  }
}

}  // namespace orv::win
