#include "protocol/commands.h"

#include <string>

#include "protocol/number_text.h"
#include "protocol/source_code.h"

namespace orv {
namespace {

using Refusal = Command::Refusal;

// Writes `value` as `width` decimal digits at `offset` of `line`; false when
// the value does not fit (the caller then refuses the command).
bool put_decimal(std::string& line, size_t offset, int value, int width) {
  return format_decimal(value, &line[offset], width) == width;
}

bool put_hex(std::string& line, size_t offset, int value, int width) {
  return format_hex(value, &line[offset], width, true) == width;
}

// Fills `template_text` with one number field, or refuses.
Command numbered(std::string template_text, size_t offset, int value, int width) {
  if (!put_decimal(template_text, offset, value, width)) return Command::refused();
  return Command::line(std::move(template_text));
}

bool is_channel(int index, int count) {
  return index >= 0 && index < count;
}

// "TSI00OF": two-digit channel at `offset`, "ON"/"OF" after it.
Command on_off_channel(const char* template_text, size_t offset, int channel_number, int value) {
  if (value != 0 && value != 1) return Command::refused();
  std::string line = template_text;
  if (!put_decimal(line, offset, channel_number, 2)) return Command::refused();
  line[offset + 3] = value == 1 ? 'N' : 'F';
  return Command::line(std::move(line));
}

bool is_pattern(int pattern) {
  return pattern >= 0 && pattern < kPatternCount;
}

// Appends the three-character source entries of a layout row.
bool append_entries(std::string& line, const LayoutRow& row, int inputCount) {
  for (int code : row) {
    const auto entry = source_wire_text(code, inputCount);
    if (!entry) return false;
    line += *entry;
  }
  return true;
}

Command octet_address(const char* template_text, const Octets& octets) {
  std::string line = template_text;
  for (size_t k = 0; k < octets.size(); ++k)
    if (octets[k] > 255 || !put_decimal(line, 3 + 4 * k, octets[k], 3)) return Command::refused();
  return Command::line(std::move(line));
}

Command flag_at(const char* template_text, size_t offset, int on) {
  std::string line = template_text;
  if (on == 1) line[offset] = 'N';
  return Command::line(std::move(line));
}

}  // namespace

// --- Screen display patterns -------------------------------------------------

Command build_switch_pattern(int pattern) {
  if (pattern == kFreeLayout) return Command::line("OPFR\r\n");
  if (!is_pattern(pattern)) return Command::refused();
  return numbered("OP00\r\n", 2, pattern + 1, 2);
}

Command build_free_layout_output(int output, int code, int inputCount) {
  const auto entry = source_wire_text(code, inputCount);
  if (!entry || !is_channel(output, kOutputCount)) return Command::refused();
  std::string line = "OnnI01\r\n";
  put_decimal(line, 1, output + 1, 2);
  line.replace(3, 3, *entry);
  return Command::line(std::move(line));
}

Command build_free_layout(const LayoutRow& row, int inputCount) {
  std::string line = "OS";
  if (!append_entries(line, row, inputCount)) return Command::refused();
  return Command::line(line + "\r\n");
}

Command build_pattern_output(int pattern, int output, int code, int inputCount) {
  const auto entry = source_wire_text(code, inputCount);
  if (!entry || !is_pattern(pattern) || !is_channel(output, kOutputCount))
    return Command::refused();
  std::string line = "OP0000I00\r\n";
  put_decimal(line, 2, pattern + 1, 2);
  put_decimal(line, 4, output + 1, 2);
  line.replace(6, 3, *entry);
  return Command::line(std::move(line));
}

Command build_pattern(int pattern, const LayoutRow& row, int inputCount) {
  if (!is_pattern(pattern)) return Command::refused();
  std::string line = "OP" + decimal_text(pattern + 1, 2);
  if (!append_entries(line, row, inputCount)) return Command::refused();
  return Command::line(line + "\r\n");
}

Command build_read_pattern_in_force() {
  return Command::line("ROP\r\n");
}

Command build_read_pattern(int pattern) {
  if (!is_pattern(pattern)) return Command::refused();
  return numbered("ROP00\r\n", 3, pattern + 1, 2);
}

// --- Automatic switching patterns -------------------------------------------

Command build_dwell_time(int pattern, int input, int seconds) {
  if (!is_pattern(pattern) || !is_channel(input, kMaxInputs)) return Command::refused();
  std::string line = "SP000000\r\n";
  put_decimal(line, 2, pattern + 1, 2);
  put_decimal(line, 4, input + 1, 2);
  if (!put_decimal(line, 6, seconds, 2)) return Command::refused();
  return Command::line(std::move(line));
}

Command build_switching_pattern(int pattern, const DwellRow& row, int inputCount) {
  if (!is_pattern(pattern) || (inputCount != 32 && inputCount != 64)) return Command::refused();
  std::string line = "SP" + decimal_text(pattern + 1, 2);
  line.resize(4 + 2 * static_cast<size_t>(inputCount));
  for (int i = 0; i < inputCount; ++i)
    if (!put_decimal(line, 4 + 2 * static_cast<size_t>(i), row[i], 2)) return Command::refused();
  return Command::line(line + "\r\n");
}

Command build_read_switching_pattern(int pattern) {
  if (!is_pattern(pattern)) return Command::refused();
  return numbered("RSP00\r\n", 3, pattern + 1, 2);
}

// --- Date and time ------------------------------------------------------------

Command build_set_year(int year) {
  return numbered("DSY00\r\n", 3, year, 2);
}

Command build_set_month(int month) {
  if (month < 1 || month > 12) return Command::refused(Refusal::silent);
  return numbered("DSM00\r\n", 3, month, 2);
}

Command build_set_day(int day) {
  if (day < 1 || day > 31) return Command::refused();
  return numbered("DSD00\r\n", 3, day, 2);
}

Command build_set_hour(int hour) {
  if (hour < 0 || hour > 23) return Command::refused();
  return numbered("TSH00\r\n", 3, hour, 2);
}

Command build_set_minute(int minute) {
  if (minute < 0 || minute > 59) return Command::refused();
  return numbered("TSM00\r\n", 3, minute, 2);
}

Command build_set_second(int second) {
  if (second < 0 || second > 59) return Command::refused();
  return numbered("TSS00\r\n", 3, second, 2);
}

Command build_thirty_second_correction() {
  return Command::line("TSA\r\n");
}

Command build_date_time_range(int range) {
  if (range < 0 || range > 7) return Command::refused();
  std::string line = "TSDR \r\n";
  line[4] = static_cast<char>('1' + range);
  return Command::line(std::move(line));
}

Command build_date_time_size(int size) {
  std::string line = "TSDSN\r\n";
  if (size == 1) line[4] = 'S';
  return Command::line(std::move(line));
}

Command build_read_date_time_range() {
  return Command::line("RTSDR\r\n");
}
Command build_read_date_time_size() {
  return Command::line("RTSDS\r\n");
}

// --- Per-channel switches -------------------------------------------------------

Command build_date_time_display_input(int channel, int value) {
  if (!is_channel(channel, kMaxInputs)) return Command::refused();
  return on_off_channel("TSI00OF\r\n", 3, channel + 1, value);
}

Command build_date_time_display_output(int channel, int value) {
  if (!is_channel(channel, kOutputCount)) return Command::refused();
  return on_off_channel("TSO00OF\r\n", 3, channel + 1, value);
}

Command build_title_display_input(int channel, int value) {
  if (!is_channel(channel, kMaxInputs)) return Command::refused();
  return on_off_channel("CTI00OF\r\n", 3, channel + 1, value);
}

Command build_title_display_output(int channel, int value) {
  if (!is_channel(channel, kOutputCount)) return Command::refused();
  return on_off_channel("CTO00OF\r\n", 3, channel + 1, value);
}

Command build_title_position(int channel, int value) {
  if (!is_channel(channel, kMaxInputs)) return Command::refused();
  std::string line = "CTPI00T\r\n";
  put_decimal(line, 4, channel + 1, 2);
  line[6] = value != 0 ? 'T' : 'B';
  return Command::line(std::move(line));
}

Command build_font_size(int channel, int value) {
  if (!is_channel(channel, kMaxInputs)) return Command::refused();
  std::string line = "CTSI00L\r\n";
  put_decimal(line, 4, channel + 1, 2);
  line[6] = value == 1 ? 'M' : value == 2 ? 'S' : 'L';
  return Command::line(std::move(line));
}

Command build_video_output(int list_index, int value) {
  if (!is_channel(list_index, kOutputCount - 1)) return Command::refused();
  std::string line = "OE00OF\r\n";
  put_decimal(line, 2, list_index + 2, 2);
  line[5] = value == 1 ? 'N' : 'F';
  return Command::line(std::move(line));
}

Command build_read_date_time_display_input() {
  return Command::line("RTSI\r\n");
}
Command build_read_date_time_display_output() {
  return Command::line("RTSO\r\n");
}
Command build_read_title_display_input() {
  return Command::line("RCTI\r\n");
}
Command build_read_title_display_output() {
  return Command::line("RCTO\r\n");
}
Command build_read_title_position() {
  return Command::line("RCTPI\r\n");
}
Command build_read_font_size() {
  return Command::line("RCTSI\r\n");
}
Command build_read_video_output() {
  return Command::line("ROE\r\n");
}

// --- Titles -------------------------------------------------------------------

// An external character's glyph code (above 7E7E) goes as the ideographic
// space: the unit never sees a code outside 2121..7E7E in a title command.
Command build_title(int channel, const TitleCodes& jis_codes) {
  if (!is_channel(channel, kMaxInputs)) return Command::refused();
  std::string line = "CT" + decimal_text(channel + 1, 2);
  line.resize(4 + 4 * jis_codes.size());
  for (size_t c = 0; c < jis_codes.size(); ++c)
    put_hex(line, 4 + 4 * c, jis_codes[c] > 0x7E7E ? kIdeographicSpaceJis : jis_codes[c], 4);
  return Command::line(line + "\r\n");
}

Command build_title_offset_top(int offset) {
  return numbered("CTAT00\r\n", 4, offset + 1, 2);
}
Command build_title_offset_bottom(int offset) {
  return numbered("CTAB00\r\n", 4, offset + 1, 2);
}

Command build_read_title(int channel) {
  if (!is_channel(channel, kMaxInputs)) return Command::refused();
  return numbered("RCT00\r\n", 3, channel + 1, 2);
}

Command build_read_title_offset_top() {
  return Command::line("RCTAT\r\n");
}
Command build_read_title_offset_bottom() {
  return Command::line("RCTAB\r\n");
}

// --- Password -----------------------------------------------------------------

Command build_password_on_button(int on) {
  return flag_at("POOF\r\n", 3, on);
}
Command build_password_on_menu(int on) {
  return flag_at("PMOF\r\n", 3, on);
}

Command build_password(std::string_view password) {
  if (password.size() < 6 || !is_decimal_digits(password.substr(0, 6))) return Command::refused();
  std::string line = "PN000000\r\n";
  line.replace(2, 6, password.substr(0, 6));
  return Command::line(std::move(line));
}

Command build_read_password_on_button() {
  return Command::line("RPO\r\n");
}
Command build_read_password_on_menu() {
  return Command::line("RPM\r\n");
}
Command build_read_password() {
  return Command::line("RPN\r\n");
}

// --- External characters --------------------------------------------------------

Command build_register_glyph(GlyphSize size, int registration,
                             std::span<const std::uint8_t> bitmap) {
  const GlyphSizeInfo& info = glyph_size_info(size);
  if (registration < 0 || registration >= info.registrations ||
      bitmap.size() < static_cast<size_t>(info.bitmap_bytes))
    return Command::refused();
  std::string line = "GRL000";
  line[2] = info.letter;
  put_decimal(line, 3, registration + 1, 3);
  line.resize(6 + 2 * static_cast<size_t>(info.bitmap_bytes));
  for (int i = 0; i < info.bitmap_bytes; ++i)
    put_hex(line, 6 + 2 * static_cast<size_t>(i), bitmap[i], 2);
  return Command::line(line + "\r\n");
}

Command build_read_registered_glyph(GlyphSize size, int registration) {
  if (registration < 0 || registration >= glyph_size_info(size).registrations)
    return Command::refused();
  return build_read_sample_glyph(size, registration_glyph_code(registration));
}

Command build_read_sample_glyph(GlyphSize size, std::uint16_t jis_code) {
  std::string line = "RFBML0000\r\n";
  line[4] = glyph_size_info(size).letter;
  put_hex(line, 5, jis_code, 4);
  return Command::line(std::move(line));
}

Command build_insert_glyph(int registration, int channel, int position) {
  if (registration < 0 || registration >= glyph_size_info(GlyphSize::small).registrations ||
      !is_channel(channel, kMaxInputs) || position < 0 || position >= kTitleCharacters)
    return Command::refused();
  std::string line = "G000C00I00\r\n";
  put_decimal(line, 1, registration + 1, 3);
  put_decimal(line, 5, channel + 1, 2);
  put_decimal(line, 8, position + 1, 2);
  return Command::line(std::move(line));
}

// --- Status ---------------------------------------------------------------------

Command build_read_output_selection() {
  return Command::line("ROS\r\n");
}
Command build_read_output_state() {
  return Command::line("ROCD\r\n");
}

// --- LAN converter --------------------------------------------------------------

Command build_converter_ip_address(const Octets& o) {
  return octet_address("EIA000.000.000.000\r\n", o);
}
Command build_converter_gateway_address(const Octets& o) {
  return octet_address("EGA000.000.000.000\r\n", o);
}
Command build_converter_active_address(const Octets& o) {
  return octet_address("EAA000.000.000.000\r\n", o);
}
Command build_converter_connection_try(int on) {
  return flag_at("ECTOF\r\n", 4, on);
}
Command build_converter_keep_alive(int on) {
  return flag_at("EKAOF\r\n", 4, on);
}

// A port text of 1 to 5 digits, sent as five: "123" goes as EPN00123.
Command build_converter_port_number(std::string_view port) {
  if (port.empty() || port.size() > 5 || !is_decimal_digits(port)) return Command::refused();
  std::string line = "EPN00000\r\n";
  line.replace(8 - port.size(), port.size(), port);
  return Command::line(std::move(line));
}

Command build_converter_subnet_class(int subnet_class) {
  std::string line = "ESMA\r\n";
  line[3] = subnet_class == 1 ? 'B' : subnet_class == 2 ? 'C' : 'A';
  return Command::line(std::move(line));
}

Command build_converter_time_register(int index) {
  if (index < 0 || index > 5) return Command::refused();
  std::string line = "ETR1\r\n";
  line[3] = static_cast<char>('1' + index);
  return Command::line(std::move(line));
}

Command build_converter_read(int index) {
  static constexpr const char* kReads[kConverterReadCount] = {
      "REIA\r\n", "REGA\r\n", "REAA\r\n", "RESM\r\n", "RECT\r\n",
      "RETR\r\n", "REPN\r\n", "REKA\r\n", "REMA\r\n", "RVN\r\n"};
  if (index < 0 || index >= kConverterReadCount) return Command::refused();
  return Command::line(kReads[index]);
}

}  // namespace orv
