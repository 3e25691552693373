// The command catalogue: one builder per command line the unit and the LAN
// converter understand. Each copies its fixed template and writes its fields
// in place; arguments are 0-based indexes as DeviceSettings holds them.
// A builder refuses exactly the values the catalogue refuses, plus any value
// that cannot be written in its field (which would otherwise corrupt the line).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "protocol/command.h"
#include "protocol/device_settings.h"
#include "protocol/glyph_size.h"
#include "protocol/title_codec.h"

namespace orv {

// --- Screen display patterns -------------------------------------------------
Command build_switch_pattern(int pattern);  // OP01..OP64, OPFR for FREE
Command build_free_layout_output(int output, int code, int inputCount);           // O05I12
Command build_free_layout(const LayoutRow& row, int inputCount);                  // OS + 32 entries
Command build_pattern_output(int pattern, int output, int code, int inputCount);  // OP0305S02
Command build_pattern(int pattern, const LayoutRow& row, int inputCount);  // OP01 + 32 entries
Command build_read_pattern_in_force();                                     // ROP
Command build_read_pattern(int pattern);                                   // ROP01

// --- Automatic switching patterns -------------------------------------------
Command build_dwell_time(int pattern, int input, int seconds);  // SP030510
Command build_switching_pattern(int pattern, const DwellRow& row, int inputCount);
Command build_read_switching_pattern(int pattern);  // RSP01

// --- Date and time ------------------------------------------------------------
Command build_set_year(int year);      // 0..99 (year - 2000)
Command build_set_month(int month);    // 1..12; out of range refused silently
Command build_set_day(int day);        // 1..31
Command build_set_hour(int hour);      // 0..23
Command build_set_minute(int minute);  // 0..59
Command build_set_second(int second);  // 0..59
Command build_thirty_second_correction();
Command build_date_time_range(int range);  // TSDR1..TSDR8
Command build_date_time_size(int size);    // TSDSN / TSDSS
Command build_read_date_time_range();
Command build_read_date_time_size();

// --- Per-channel switches, position, size and video output --------------------
// Single-channel forms of the four display switches refuse a stored value
// other than 0 or 1 ("Command Error").
Command build_date_time_display_input(int channel, int value);   // TSI05ON
Command build_date_time_display_output(int channel, int value);  // TSO05OF
Command build_title_display_input(int channel, int value);       // CTI12ON
Command build_title_display_output(int channel, int value);      // CTO12OF
Command build_title_position(int channel, int value);            // CTPI05T
Command build_font_size(int channel, int value);                 // CTSI05S
// `list_index` is the video output dialog's index: output channel list_index+2.
Command build_video_output(int list_index, int value);  // OE02OF

// The all-channel forms ("TSI" + letters) are build_all_channels in
// channel_arrays.h, built from each member's row.

Command build_read_date_time_display_input();
Command build_read_date_time_display_output();
Command build_read_title_display_input();
Command build_read_title_display_output();
Command build_read_title_position();
Command build_read_font_size();
Command build_read_video_output();

// --- Titles -------------------------------------------------------------------
Command build_title(int channel,
                    const TitleCodes& jis_codes);  // CT01... (external characters as 2121)
Command build_title_offset_top(int offset);        // CTAT01..CTAT16
Command build_title_offset_bottom(int offset);     // CTAB01..CTAB16
Command build_read_title(int channel);             // RCT01
Command build_read_title_offset_top();
Command build_read_title_offset_bottom();

// --- Password -----------------------------------------------------------------
Command build_password_on_button(int on);           // POON / POOF
Command build_password_on_menu(int on);             // PMON / PMOF
Command build_password(std::string_view password);  // PN + six digits
Command build_read_password_on_button();
Command build_read_password_on_menu();
Command build_read_password();

// --- External characters --------------------------------------------------------
Command build_register_glyph(GlyphSize size, int registration,
                             std::span<const std::uint8_t> bitmap);       // GRS001...
Command build_read_registered_glyph(GlyphSize size, int registration);    // RFBMMA365
Command build_read_sample_glyph(GlyphSize size, std::uint16_t jis_code);  // RFBML2341
Command build_insert_glyph(int registration, int channel, int position);  // G005C12I03

// --- Status ---------------------------------------------------------------------
Command build_read_output_selection();  // ROS
Command build_read_output_state();      // ROCD

// --- LAN converter --------------------------------------------------------------
Command build_converter_ip_address(const Octets& octets);       // EIA192.168.001.003
Command build_converter_gateway_address(const Octets& octets);  // EGA...
Command build_converter_active_address(const Octets& octets);   // EAA...
Command build_converter_connection_try(int on);                 // ECTON / ECTOF
Command build_converter_keep_alive(int on);                     // EKAON / EKAOF
Command build_converter_port_number(std::string_view port);     // EPN09004; 1..5 digits
Command build_converter_subnet_class(int subnet_class);         // ESMA / ESMB / ESMC
Command build_converter_time_register(int index);               // ETR1..ETR6
// The ten reads in the order the converter dialog sends them (REIA .. RVN).
Command build_converter_read(int index);
inline constexpr int kConverterReadCount = 10;

}  // namespace orv
