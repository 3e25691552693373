#include "protocol/replies.h"

#include <algorithm>
#include <array>
#include <string>

#include "protocol/channel_arrays.h"
#include "protocol/glyph_size.h"
#include "protocol/number_text.h"
#include "protocol/title_codec.h"

namespace orv {
namespace {

// Everything a row parser may read or change.
struct RowContext {
  ReplyTarget& target;
  DeviceSettings& settings;
  int inputs() const { return settings.inputCount; }
};

using RowParser = bool (*)(std::string_view line, RowContext& context);

// The lengths a title reply comes in: a unit answers as many characters as
// the channel's font size lets it show (SMALL, MEDIUM, LARGE).
constexpr std::array<size_t, 3> kTitleReplyCharacters{kTitleCharacters, 21, 14};

bool crlf_at(std::string_view line, size_t offset) {
  return line.size() >= offset + 2 && line[offset] == '\r' && line[offset + 1] == '\n';
}

// A field of decimal digits in low..high, or -1.
int number_field(std::string_view line, size_t offset, size_t width, int low, int high) {
  if (line.size() < offset + width) return -1;
  const std::string_view field = line.substr(offset, width);
  const int value = parse_decimal(field, static_cast<int>(width));
  if (!is_decimal_digits(field) || value < low || value > high) return -1;
  return value;
}

// A one-letter field: its position in `alphabet`, or -1.
int letter_field(std::string_view line, size_t offset, std::string_view alphabet) {
  if (line.size() <= offset) return -1;
  const size_t position = alphabet.find(line[offset]);
  return position == std::string_view::npos ? -1 : static_cast<int>(position);
}

// "ON" / "OF" at `offset`: 1, 0, or -1.
int on_off_field(std::string_view line, size_t offset) {
  const std::string_view field = line.substr(offset < line.size() ? offset : line.size(), 2);
  if (field == "ON") return 1;
  if (field == "OF") return 0;
  return -1;
}

// --- Rows ---------------------------------------------------------------------

bool parse_pattern_in_force(std::string_view line, RowContext& c) {  // row 1
  if (line.substr(2, 2) == "FR") {
    c.settings.currentScreenPattern = kFreeLayout;
    return true;
  }
  const int number = number_field(line, 2, 2, 1, kPatternCount);
  if (number < 0) return false;
  c.settings.currentScreenPattern = number - 1;
  return true;
}

bool parse_pattern(std::string_view line, RowContext& c) {  // row 2
  const int pattern = number_field(line, 2, 2, 1, kPatternCount);
  if (!crlf_at(line, 100) || pattern < 0) return false;
  LayoutRow row{};
  for (size_t j = 0; j < kOutputCount; ++j) {
    const char kind = line[4 + 3 * j];
    const bool input = kind == 'I';
    if (!input && kind != 'S') return false;
    const int number = number_field(line, 5 + 3 * j, 2, 1, input ? c.inputs() : kPatternCount);
    if (number < 0) return false;
    row[j] = input ? number - 1 : number - 1 + c.inputs();
  }
  c.settings.screenPatterns[pattern - 1] = row;
  return true;
}

bool parse_pattern_row(std::string_view line, RowContext& c) {  // rows 1 and 2 share "OP"
  return crlf_at(line, 4) ? parse_pattern_in_force(line, c) : parse_pattern(line, c);
}

bool parse_switching_pattern(std::string_view line, RowContext& c) {  // row 3
  const size_t count = static_cast<size_t>(c.inputs());
  const int pattern = number_field(line, 2, 2, 1, kPatternCount);
  if (!crlf_at(line, 4 + 2 * count) || pattern < 0) return false;
  DwellRow row = c.settings.autoSwitchPatterns[pattern - 1];
  for (size_t i = 0; i < count; ++i) {
    row[i] = number_field(line, 4 + 2 * i, 2, 0, 99);
    if (row[i] < 0) return false;
  }
  c.settings.autoSwitchPatterns[pattern - 1] = row;
  return true;
}

bool parse_date_time_range(std::string_view line, RowContext& c) {  // row 4
  const int digit = number_field(line, 4, 1, 1, 8);
  if (!crlf_at(line, 5) || digit < 0) return false;
  c.settings.dateTimeRange = digit - 1;
  return true;
}

bool parse_date_time_size(std::string_view line, RowContext& c) {  // row 5
  const int size = letter_field(line, 4, "NS");
  if (!crlf_at(line, 5) || size < 0) return false;
  c.settings.dateTimeSize = size;
  return true;
}

// Rows 6 to 11 and 17: one letter per channel, by the member's row.
template <PerChannelMember member>
bool parse_channel_letters(std::string_view line, RowContext& c) {
  return parse_all_channels(member, line, c.settings);
}

bool parse_title_offset(std::string_view line, RowContext& c) {  // row 12
  const int which = letter_field(line, 3, "TB");
  const int offset = number_field(line, 4, 2, 1, 16);
  if (!crlf_at(line, 6) || which < 0 || offset < 0) return false;
  (which == 0 ? c.settings.titleOffsetTop : c.settings.titleOffsetBottom) = offset - 1;
  return true;
}

// Title hex digits as the unit sends them, upper case, unchecked: any
// character above '9' counts as its code minus 55.
int title_hex_digit(char c) {
  const int code = static_cast<unsigned char>(c);
  return c > '9' ? code - 55 : code - 48;
}

// Two title bytes from four unchecked hex digits.
std::uint16_t title_code_at(std::string_view line, size_t offset) {
  auto byte_at = [&](size_t at) {
    return (title_hex_digit(line[at]) * 16 + title_hex_digit(line[at + 1])) & 0xFF;
  };
  return static_cast<std::uint16_t>(byte_at(offset) << 8 | byte_at(offset + 2));
}

bool parse_title(std::string_view line, RowContext& c) {  // row 13
  const int channel = number_field(line, 2, 2, 1, c.inputs());
  size_t characters = 0;
  for (size_t k : kTitleReplyCharacters) {
    if (crlf_at(line, 4 + 4 * k)) {
      characters = k;
      break;
    }
  }
  if (channel < 0 || characters == 0) return false;
  TitleCodes received{};
  for (size_t i = 0; i < characters; ++i) received[i] = title_code_at(line, 4 + 4 * i);
  while (characters > 0 && received[characters - 1] == kIdeographicSpaceJis) --characters;
  std::string text;
  for (size_t i = 0; i < characters; ++i) {
    // A registered external character is kept as itself; any other code
    // beyond the JIS rows reads as the ideographic space.
    const auto registration = registration_of_glyph_code(received[i]);
    const std::uint16_t code = received[i] > 0x7C7E ? kIdeographicSpaceJis : received[i];
    const std::uint16_t sjis = registration ? external_character(*registration) : jis_to_sjis(code);
    text += static_cast<char>(sjis >> 8);
    text += static_cast<char>(sjis & 0xFF);
  }
  // A character that did not convert leaves zero bytes: the title ends there.
  set_title(c.settings.titles[channel - 1], text.substr(0, text.find('\0')));
  return true;
}

bool parse_flag(std::string_view line, int& target) {  // rows 14 and 15
  const int on = letter_field(line, 3, "FN");
  if (!crlf_at(line, 4) || on < 0) return false;
  target = on;
  return true;
}
bool parse_password_on_menu(std::string_view line, RowContext& c) {
  return parse_flag(line, c.settings.passwordOnMenu);
}
bool parse_password_on_button(std::string_view line, RowContext& c) {
  return parse_flag(line, c.settings.passwordOnButton);
}

// Replaces the first bytes of a zero-terminated buffer with raw reply text
// and ends the text after them.
template <size_t N>
void store_raw(std::array<char, N>& buffer, std::string_view text) {
  const size_t count = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), count, buffer.begin());
  buffer[count] = '\0';
}

bool parse_password(std::string_view line, RowContext& c) {  // row 16
  if (!crlf_at(line, 8)) return false;
  store_raw(c.settings.password, line.substr(2, 6));
  return true;
}

bool parse_glyph(std::string_view line, RowContext& c) {  // row 18
  const auto size = glyph_size_from_letter(line.size() > 3 ? line[3] : '\0');
  if (!size) return false;
  const size_t bytes = static_cast<size_t>(glyph_size_info(*size).bitmap_bytes);
  const std::string_view requested = c.target.awaited_glyph_code;
  if (!crlf_at(line, 8 + 2 * bytes) || line.substr(4, 4) != requested || requested.size() != 4)
    return false;
  const std::string_view digits = line.substr(8, 2 * bytes);
  if (!is_hex_digits(digits)) return false;
  for (size_t i = 0; i < bytes; ++i)
    c.settings.glyphBitmap[i] = static_cast<std::uint8_t>(parse_hex(digits.substr(2 * i), 2));
  c.target.glyph_updated = true;
  return true;
}

// Rows 19 and 20 belong to the status window; with nobody to take them they
// change nothing.
bool parse_output_state(std::string_view line, RowContext& c) {  // row 19
  return !c.target.status || c.target.status->take_output_state(line, c.inputs());
}

bool parse_output_selection(std::string_view line, RowContext& c) {  // row 20
  return !c.target.status || c.target.status->take_output_selection(line);
}

// "EIA192.168.001.003": the separators are not examined, the octets must be
// numbers 0..255 so that the address can be shown and sent again.
bool parse_octets(std::string_view line, Octets& target) {  // rows 21 to 23
  if (!crlf_at(line, 18)) return false;
  Octets octets{};
  for (size_t k = 0; k < 4; ++k) {
    octets[k] = number_field(line, 3 + 4 * k, 3, 0, 255);
    if (octets[k] < 0) return false;
  }
  target = octets;
  return true;
}
bool parse_active_address(std::string_view line, RowContext& c) {
  return parse_octets(line, c.settings.converterActiveAddress);
}
bool parse_gateway_address(std::string_view line, RowContext& c) {
  return parse_octets(line, c.settings.converterGatewayAddress);
}
bool parse_ip_address(std::string_view line, RowContext& c) {
  return parse_octets(line, c.settings.converterIpAddress);
}

bool parse_on_off(std::string_view line, int& target) {  // rows 24 and 25
  const int on = on_off_field(line, 3);
  if (!crlf_at(line, 5) || on < 0) return false;
  target = on;
  return true;
}
bool parse_connection_try(std::string_view line, RowContext& c) {
  return parse_on_off(line, c.settings.converterConnectionTry);
}
bool parse_keep_alive(std::string_view line, RowContext& c) {
  return parse_on_off(line, c.settings.converterKeepAlive);
}

bool parse_mac_address(std::string_view line, RowContext& c) {  // row 26
  if (!crlf_at(line, 20)) return false;
  store_raw(c.settings.converterMacAddress, line.substr(3, 17));
  return true;
}

// Only a port of five digits is stored: it is what the converter dialog
// shows and sends again, and what the TCP/IP link connects to.
bool parse_port_number(std::string_view line, RowContext& c) {  // row 27
  if (!crlf_at(line, 8) || !is_decimal_digits(line.substr(3, 5))) return false;
  store_raw(c.settings.converterPortNumber, line.substr(3, 5));
  return true;
}

bool parse_subnet_class(std::string_view line, RowContext& c) {  // row 28
  const int subnet = letter_field(line, 3, "ABC");
  if (!crlf_at(line, 4) || subnet < 0) return false;
  c.settings.converterSubnetClass = subnet;
  return true;
}

bool parse_time_register(std::string_view line, RowContext& c) {  // row 29
  const int digit = number_field(line, 3, 1, 1, 6);
  if (!crlf_at(line, 4) || digit < 0) return false;
  c.settings.converterTimeRegister = digit - 1;
  return true;
}

bool parse_version(std::string_view line, RowContext& c) {  // row 30
  if (!crlf_at(line, 7)) return false;
  store_raw(c.settings.converterVersion, line.substr(3, 4));
  return true;
}

struct ReplyRow {
  std::string_view prefix;
  RowParser parse;
  bool serial_only;
};

// In the order the rows are tried: longer prefixes before the shorter ones
// they begin with.
constexpr std::array<ReplyRow, 29> kRows{{
    {"OP", parse_pattern_row, false},
    {"SP", parse_switching_pattern, false},
    {"TSDR", parse_date_time_range, false},
    {"TSDS", parse_date_time_size, false},
    {"TSI", parse_channel_letters<PerChannelMember::date_time_display_input>, false},
    {"TSO", parse_channel_letters<PerChannelMember::date_time_display_output>, false},
    {"CTI", parse_channel_letters<PerChannelMember::title_display_input>, false},
    {"CTO", parse_channel_letters<PerChannelMember::title_display_output>, false},
    {"CTPI", parse_channel_letters<PerChannelMember::title_position>, false},
    {"CTSI", parse_channel_letters<PerChannelMember::font_size>, false},
    {"CTA", parse_title_offset, false},
    {"CT", parse_title, false},
    {"PMO", parse_password_on_menu, false},
    {"POO", parse_password_on_button, false},
    {"PN", parse_password, false},
    {"OE", parse_channel_letters<PerChannelMember::video_output>, false},
    {"FBM", parse_glyph, false},
    {"OCD", parse_output_state, false},
    {"OS", parse_output_selection, false},
    {"EAA", parse_active_address, false},
    {"EGA", parse_gateway_address, false},
    {"EIA", parse_ip_address, false},
    {"ECT", parse_connection_try, false},
    {"EKA", parse_keep_alive, false},
    {"EMA", parse_mac_address, true},
    {"EPN", parse_port_number, false},
    {"ESM", parse_subnet_class, false},
    {"ETR", parse_time_register, false},
    {"VN", parse_version, false},
}};

constexpr std::array<std::string_view, 8> kConditionLines{
    "MENU\r\n", "ALARM\r\n", "LOCK\r\n", "GN\r\n", "E0\r\n", "E1\r\n", "E2\r\n", "E3\r\n"};

}  // namespace

std::optional<std::string> requested_glyph_code(std::string_view read_command) {
  if (read_command.substr(0, 4) != "RFBM" || read_command.size() < 9) return std::nullopt;
  return std::string(read_command.substr(5, 4));
}

std::string_view condition_text(ResultCode code) {
  static constexpr std::array<std::string_view, 8> kTexts{
      "Menu Display",  "Alarm Display", "Lock Display",   "Mode Error",
      "Framing Error", "Parity Error",  "Over Run Error", "Command Error"};
  const int index = static_cast<int>(code) - 1;
  if (index < 0 || index >= static_cast<int>(kTexts.size())) return {};
  return kTexts[static_cast<size_t>(index)];
}

ResultCode condition_code(std::string_view line) {
  for (size_t i = 0; i < kConditionLines.size(); ++i)
    if (line == kConditionLines[i]) return static_cast<ResultCode>(i + 1);
  return ResultCode::none;
}

bool expects_data_reply(std::string_view asked) {
  return !asked.empty() && asked[0] == 'R';
}

bool answers(std::string_view asked, std::string_view line) {
  if (asked.size() < 2 || !expects_data_reply(asked) || !line.starts_with(asked.substr(1)))
    return false;
  return asked != "ROP" || line.size() == 6;
}

RowOutcome dispatch_reply_line(ReplyTarget& target, std::string_view line, ReplyRoad road) {
  RowContext context{target, target.settings};
  for (const ReplyRow& row : kRows) {
    if (line.substr(0, row.prefix.size()) != row.prefix) continue;
    if (row.serial_only && road != ReplyRoad::serial) continue;
    if (!answers(target.asked, line)) return RowOutcome::unasked;
    return row.parse(line, context) ? RowOutcome::accepted : RowOutcome::rejected;
  }
  return RowOutcome::no_row;
}

}  // namespace orv
