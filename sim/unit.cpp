#include "unit.h"

#include <ctime>

#include "text.h"

namespace sim {
namespace {

const std::string kGo = "GO\r\n";
const std::string kRefused = "E3\r\n";

std::string line(std::string text) {
  return text + "\r\n";
}

// Factory titles: "ＣＨ" and the channel number in full-width digits (JIS).
std::array<int, kTitleChars> factory_title(int channel) {
  std::array<int, kTitleChars> codes{};
  codes.fill(0x2121);
  codes[0] = 0x2343;  // Ｃ
  codes[1] = 0x2348;  // Ｈ
  codes[2] = 0x2330 + channel / 10;
  codes[3] = 0x2330 + channel % 10;
  return codes;
}

bool is_jis(int code) {
  const int high = code >> 8, low = code & 0xFF;
  return high >= 0x21 && high <= 0x7E && low >= 0x21 && low <= 0x7E;
}

int title_length(char font_size) {
  switch (font_size) {
    case 'L':
      return 14;
    case 'M':
      return 21;
    default:
      return 28;
  }
}

// A recognisable font glyph for any character code: a frame, and a
// diagonal pattern that depends on the code.
std::vector<std::uint8_t> font_glyph(const GlyphSize& size, int code) {
  const int side = size.letter == 'S' ? 24 : size.letter == 'M' ? 32 : 48;
  std::vector<std::uint8_t> bitmap(static_cast<size_t>(size.bytes), 0);
  for (int row = 0; row < side; ++row) {
    for (int column = 0; column < side; ++column) {
      const bool frame = row == 0 || column == 0 || row == side - 1 || column == side - 1;
      const bool pattern = (row + column + code) % 5 == 0 || (row * column + code) % 13 == 0;
      if (!frame && !pattern) continue;
      const int pixel = row * side + column;
      bitmap[static_cast<size_t>(pixel / 8)] |= static_cast<std::uint8_t>(0x80 >> (pixel % 8));
    }
  }
  return bitmap;
}

}  // namespace

int inputs_of(Model model) {
  return model == Model::orvellan ? 32 : 64;
}

std::optional<GlyphSize> glyph_size(char letter) {
  switch (letter) {
    case 'S':
      return GlyphSize{'S', 72, 256};
    case 'M':
      return GlyphSize{'M', 128, 160};
    case 'L':
      return GlyphSize{'L', 288, 70};
    default:
      return std::nullopt;
  }
}

int glyph_code(int registration) {
  const int k = registration + 67;
  return (0xA3 + k / 94) * 256 + 0x21 + k % 94;
}

Unit::Unit(Model model, const Clock& clock) : model_(model), clock_(clock) {
  for (auto& layout : layouts_)
    for (int j = 0; j < kOutputs; ++j) layout[j] = Entry{'I', j + 1};
  for (auto& pattern : dwell_) pattern.fill(3);
  tsi_ = std::string(64, 'N');
  cti_ = std::string(64, 'N');
  ctpi_ = std::string(64, 'B');
  ctsi_ = std::string(64, 'M');
  tso_ = std::string(kOutputs, 'N');
  cto_ = std::string(kOutputs, 'N');
  oe_ = std::string(kOutputs, 'N');
  for (int i = 0; i < 64; ++i) titles_[i] = factory_title(i + 1);
  start_calendar();
}

const std::vector<Unit::Route>& Unit::routes() {
  // Longer prefixes before the shorter ones they begin with.
  static const std::vector<Route> table{
      {"RFBM", &Unit::read_glyph},
      {"R", &Unit::read},
      {"OP", &Unit::set_pattern},
      {"OS", &Unit::set_free_layout},
      {"OE", &Unit::set_video_output},
      {"O", &Unit::set_layout_output},
      {"SP", &Unit::set_dwell},
      {"DS", &Unit::set_date},
      {"TSDR", &Unit::set_display_range},
      {"TSDS", &Unit::set_display_size},
      {"TSA", &Unit::thirty_second_correction},
      {"TSI", &Unit::set_flags},
      {"TSO", &Unit::set_flags},
      {"TS", &Unit::set_time},
      {"CTA", &Unit::set_title_offset},
      {"CTPI", &Unit::set_flags},
      {"CTSI", &Unit::set_flags},
      {"CTI", &Unit::set_flags},
      {"CTO", &Unit::set_flags},
      {"CT", &Unit::set_title},
      {"PO", &Unit::set_password_flag},
      {"PM", &Unit::set_password_flag},
      {"PN", &Unit::set_password},
      {"GR", &Unit::register_glyph},
      {"G", &Unit::insert_glyph},
  };
  return table;
}

std::string Unit::handle(std::string_view command) {
  for (const Route& route : routes())
    if (command.substr(0, route.prefix.size()) == route.prefix)
      return (this->*route.handler)(command);
  return kRefused;
}

// --- Layouts ------------------------------------------------------------------

std::optional<Entry> Unit::parse_entry(std::string_view text) const {
  if (text.size() != 3 || (text[0] != 'I' && text[0] != 'S')) return std::nullopt;
  const auto n = number(text.substr(1), 2, 1, text[0] == 'I' ? inputs() : kPatterns);
  if (!n) return std::nullopt;
  return Entry{text[0], *n};
}

bool Unit::parse_entries(std::string_view text, std::array<Entry, kOutputs>& out) const {
  if (text.size() != 3 * kOutputs) return false;
  for (int j = 0; j < kOutputs; ++j) {
    const auto entry = parse_entry(text.substr(3 * static_cast<size_t>(j), 3));
    if (!entry) return false;
    out[j] = *entry;
  }
  return true;
}

std::optional<std::string> Unit::entries_text(int layout) const {
  std::string text;
  for (const Entry& e : layouts_[layout]) text += e.kind + digits(e.number, 2);
  return text;
}

std::string Unit::switch_pattern(std::string_view c) {
  if (c == "OPFR") {
    pattern_in_force_ = kFree;
    return kGo;
  }
  const auto pattern = number(c.substr(2), 2, 1, kPatterns);
  if (!pattern) return kRefused;
  pattern_in_force_ = *pattern - 1;
  return kGo;
}

std::string Unit::set_pattern(std::string_view c) {
  if (c.size() == 4) return switch_pattern(c);
  const auto pattern = number(c.substr(2, 2), 2, 1, kPatterns);
  if (!pattern) return kRefused;
  if (c.size() == 9) {  // OPnnmmXyy: one output of a pattern
    const auto output = number(c.substr(4, 2), 2, 1, kOutputs);
    const auto entry = parse_entry(c.substr(6));
    if (!output || !entry) return kRefused;
    layouts_[*pattern - 1][*output - 1] = *entry;
    return kGo;
  }
  std::array<Entry, kOutputs> entries{};
  if (!parse_entries(c.substr(4), entries)) return kRefused;
  layouts_[*pattern - 1] = entries;
  return kGo;
}

std::string Unit::set_free_layout(std::string_view c) {
  std::array<Entry, kOutputs> entries{};
  if (!parse_entries(c.substr(2), entries)) return kRefused;
  layouts_[kFree] = entries;
  return kGo;
}

std::string Unit::set_layout_output(std::string_view c) {  // OnnXyy: one output of FREE
  const auto output = number(c.substr(1, 2), 2, 1, kOutputs);
  const auto entry = c.size() == 6 ? parse_entry(c.substr(3)) : std::nullopt;
  if (!output || !entry) return kRefused;
  layouts_[kFree][*output - 1] = *entry;
  return kGo;
}

std::string Unit::set_dwell(std::string_view c) {
  const auto pattern = number(c.substr(2, 2), 2, 1, kPatterns);
  if (!pattern) return kRefused;
  if (c.size() == 8) {  // SPnnccss
    const auto input = number(c.substr(4, 2), 2, 1, inputs());
    const auto seconds = number(c.substr(6, 2), 2, 0, 99);
    if (!input || !seconds) return kRefused;
    dwell_[*pattern - 1][*input - 1] = *seconds;
    return kGo;
  }
  if (c.size() != 4 + 2 * static_cast<size_t>(inputs())) return kRefused;
  std::array<int, 64> times = dwell_[*pattern - 1];
  for (int i = 0; i < inputs(); ++i) {
    const auto seconds = number(c.substr(4 + 2 * static_cast<size_t>(i), 2), 2, 0, 99);
    if (!seconds) return kRefused;
    times[i] = *seconds;
  }
  dwell_[*pattern - 1] = times;
  return kGo;
}

// --- Date and time --------------------------------------------------------------

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::tm broken_down(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm result{};
  gmtime_r(&t, &result);
  return result;
}

}  // namespace

// The calendar keeps its date fields as they were set (a date that does not
// exist yet, such as 04-31 between setting the month and the day, is kept
// until the day is set too) and counts the time of day on from the host clock.
void Unit::start_calendar() {
  const std::tm now = broken_down(clock_.wall_seconds());
  calendar_ = Calendar{now.tm_year + 1900, now.tm_mon + 1, now.tm_mday,
                       now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec, clock_.wall_seconds()};
}

// Moves the time counted since the last setting into the fields.
void Unit::fold_elapsed_time() {
  const std::int64_t total = calendar_.seconds_of_day + clock_.wall_seconds() - calendar_.set_at;
  calendar_.set_at = clock_.wall_seconds();
  calendar_.seconds_of_day = total % kSecondsPerDay;
  if (total < kSecondsPerDay) return;
  std::tm date{};
  date.tm_year = calendar_.year - 1900;
  date.tm_mon = calendar_.month - 1;
  date.tm_mday = calendar_.day + static_cast<int>(total / kSecondsPerDay);
  const std::tm moved = broken_down(timegm(&date));
  calendar_.year = moved.tm_year + 1900;
  calendar_.month = moved.tm_mon + 1;
  calendar_.day = moved.tm_mday;
}

std::string Unit::clock_text() const {
  std::tm t{};
  t.tm_year = calendar_.year - 1900;
  t.tm_mon = calendar_.month - 1;
  t.tm_mday = calendar_.day;
  t.tm_sec = static_cast<int>(calendar_.seconds_of_day + clock_.wall_seconds() - calendar_.set_at);
  const std::tm shown = broken_down(timegm(&t));
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &shown);
  return buffer;
}

std::string Unit::set_date(std::string_view c) {
  const char field = c.size() > 2 ? c[2] : '\0';
  const int low = field == 'Y' ? 0 : 1;
  const int high = field == 'Y' ? 99 : field == 'M' ? 12 : 31;
  const auto value = c.size() == 5 ? number(c.substr(3), 2, low, high) : std::nullopt;
  if (!value || (field != 'Y' && field != 'M' && field != 'D')) return kRefused;
  fold_elapsed_time();
  if (field == 'Y') calendar_.year = 2000 + *value;
  if (field == 'M') calendar_.month = *value;
  if (field == 'D') calendar_.day = *value;
  return kGo;
}

std::string Unit::set_time(std::string_view c) {
  const char field = c.size() > 2 ? c[2] : '\0';
  const int high = field == 'H' ? 23 : 59;
  const auto value = c.size() == 5 ? number(c.substr(3), 2, 0, high) : std::nullopt;
  if (!value || (field != 'H' && field != 'M' && field != 'S')) return kRefused;
  fold_elapsed_time();
  std::int64_t hour = calendar_.seconds_of_day / 3600;
  std::int64_t minute = calendar_.seconds_of_day / 60 % 60;
  std::int64_t second = calendar_.seconds_of_day % 60;
  if (field == 'H') hour = *value;
  if (field == 'M') minute = *value;
  if (field == 'S') second = *value;
  calendar_.seconds_of_day = hour * 3600 + minute * 60 + second;
  return kGo;
}

std::string Unit::thirty_second_correction(std::string_view c) {
  if (c != "TSA") return kRefused;
  fold_elapsed_time();
  const std::int64_t second = calendar_.seconds_of_day % 60;
  calendar_.seconds_of_day += second < 30 ? -second : 60 - second;
  return kGo;
}

std::string Unit::set_display_range(std::string_view c) {
  const auto range = number(c.substr(4), 1, 1, 8);
  if (!range) return kRefused;
  display_range_ = *range;
  return kGo;
}

std::string Unit::set_display_size(std::string_view c) {
  if (c != "TSDSN" && c != "TSDSS") return kRefused;
  display_size_ = c[4];
  return kGo;
}

// --- Per-channel switches -----------------------------------------------------------

std::string* Unit::flag_string(std::string_view name) {
  if (name == "TSI") return &tsi_;
  if (name == "TSO") return &tso_;
  if (name == "CTI") return &cti_;
  if (name == "CTO") return &cto_;
  if (name == "CTPI") return &ctpi_;
  if (name == "CTSI") return &ctsi_;
  return nullptr;
}

std::string Unit::set_flags(std::string_view c) {
  const bool four_letter = c.substr(0, 4) == "CTPI" || c.substr(0, 4) == "CTSI";
  const std::string_view name = c.substr(0, four_letter ? 4 : 3);
  const std::string_view rest = c.substr(name.size());
  std::string& flags = *flag_string(name);
  const bool output_side = name == "TSO" || name == "CTO";
  const int count = output_side ? kOutputs : inputs();
  const std::string_view letters = name == "CTPI" ? "TB" : name == "CTSI" ? "LMS" : "NF";

  const bool on_off = !four_letter;
  const size_t single_length = on_off ? 4 : 3;  // nnON / nnT
  if (rest.size() == single_length) {
    const auto channel = number(rest.substr(0, 2), 2, 1, count);
    if (!channel) return kRefused;
    char value;
    if (on_off) {
      if (rest.substr(2) != "ON" && rest.substr(2) != "OF") return kRefused;
      value = rest[3] == 'N' ? 'N' : 'F';
    } else {
      value = rest[2];
      if (letters.find(value) == std::string_view::npos) return kRefused;
    }
    flags[static_cast<size_t>(*channel - 1)] = value;
    return kGo;
  }
  if (rest.size() != static_cast<size_t>(count)) return kRefused;
  for (char letter : rest)
    if (letters.find(letter) == std::string_view::npos) return kRefused;
  flags.replace(0, rest.size(), rest);
  return kGo;
}

std::string Unit::set_video_output(std::string_view c) {
  const std::string_view rest = c.substr(2);
  if (rest.size() == 4) {  // nnON / nnOF; output 01 is fixed
    const auto output = number(rest.substr(0, 2), 2, 2, kOutputs);
    if (!output || (rest.substr(2) != "ON" && rest.substr(2) != "OF")) return kRefused;
    oe_[static_cast<size_t>(*output - 1)] = rest[3] == 'N' ? 'N' : 'F';
    return kGo;
  }
  if (rest.size() != kOutputs) return kRefused;
  for (char letter : rest)
    if (letter != 'N' && letter != 'F') return kRefused;
  oe_ = std::string(rest);
  return kGo;
}

// --- Titles ------------------------------------------------------------------------

std::string Unit::set_title_offset(std::string_view c) {
  const auto offset = c.size() == 6 ? number(c.substr(4), 2, 1, 16) : std::nullopt;
  if (!offset || (c[3] != 'T' && c[3] != 'B')) return kRefused;
  (c[3] == 'T' ? offset_top_ : offset_bottom_) = *offset;
  return kGo;
}

std::string Unit::set_title(std::string_view c) {
  const auto channel = number(c.substr(2, 2), 2, 1, inputs());
  if (!channel || c.size() != 4 + 4 * kTitleChars) return kRefused;
  std::array<int, kTitleChars> codes{};
  for (size_t i = 0; i < kTitleChars; ++i) {
    const auto code = hex_number(c.substr(4 + 4 * i, 4), 4);
    if (!code || !is_jis(*code)) return kRefused;
    codes[i] = *code;
  }
  titles_[*channel - 1] = codes;
  return kGo;
}

std::string Unit::title_reply(int channel) const {
  std::string text = "CT" + digits(channel, 2);
  const int length = title_length(ctsi_[static_cast<size_t>(channel - 1)]);
  for (int i = 0; i < length; ++i)
    text += hex_digits(static_cast<unsigned>(titles_[channel - 1][i]), 4);
  return line(text);
}

// --- Password ----------------------------------------------------------------------

std::string Unit::set_password_flag(std::string_view c) {
  if (c.size() != 4 || c[2] != 'O' || (c[3] != 'N' && c[3] != 'F')) return kRefused;
  (c[1] == 'O' ? password_on_button_ : password_on_menu_) = c[3];
  return kGo;
}

std::string Unit::set_password(std::string_view c) {
  if (!number(c.substr(2), 6, 0, 999999)) return kRefused;
  password_ = std::string(c.substr(2));
  return kGo;
}

// --- External characters -------------------------------------------------------------

std::string Unit::register_glyph(std::string_view c) {
  const auto size = glyph_size(c.size() > 2 ? c[2] : '\0');
  if (!size) return kRefused;
  const auto registration = number(c.substr(3, 3), 3, 1, size->registrations);
  if (!registration || c.size() != 6 + 2 * static_cast<size_t>(size->bytes)) return kRefused;
  std::vector<std::uint8_t> bitmap;
  for (int i = 0; i < size->bytes; ++i) {
    const auto byte = hex_number(c.substr(6 + 2 * static_cast<size_t>(i), 2), 2);
    if (!byte) return kRefused;
    bitmap.push_back(static_cast<std::uint8_t>(*byte));
  }
  glyphs_[{size->letter, *registration}] = bitmap;
  return kGo;
}

std::string Unit::insert_glyph(std::string_view c) {  // GnnnCccItt
  if (c.size() != 10 || c[4] != 'C' || c[7] != 'I') return kRefused;
  const auto registration = number(c.substr(1, 3), 3, 1, 256);
  const auto channel = number(c.substr(5, 2), 2, 1, inputs());
  const auto position = number(c.substr(8, 2), 2, 1, kTitleChars);
  if (!registration || !channel || !position) return kRefused;
  titles_[*channel - 1][*position - 1] = glyph_code(*registration);
  return kGo;
}

std::string Unit::read_glyph(std::string_view c) {  // RFBMxhhhh
  const auto size = glyph_size(c.size() > 4 ? c[4] : '\0');
  const auto code = c.size() == 9 ? hex_number(c.substr(5), 4) : std::nullopt;
  if (!size || !code) return kRefused;
  std::vector<std::uint8_t> bitmap = font_glyph(*size, *code);
  for (int n = 1; n <= size->registrations; ++n) {
    if (glyph_code(n) != *code) continue;
    const auto found = glyphs_.find({size->letter, n});
    bitmap = found != glyphs_.end()
                 ? found->second
                 : std::vector<std::uint8_t>(static_cast<size_t>(size->bytes), 0);
  }
  std::string text =
      "FBM" + std::string(1, size->letter) + hex_digits(static_cast<unsigned>(*code), 4);
  for (std::uint8_t byte : bitmap) text += hex_digits(byte, 2);
  return line(text);
}

// --- What the outputs show ----------------------------------------------------------

Entry Unit::output_entry(int output) const {
  if (forced_[output]) return *forced_[output];
  return layouts_[pattern_in_force_][output];
}

void Unit::force_output(int output, std::optional<Entry> entry) {
  forced_[output] = entry;
}

int Unit::shown_input(int output) const {
  const Entry entry = output_entry(output);
  if (entry.kind == 'I') return entry.number;
  // Automatic switching: each input in turn for its dwell time; a dwell of
  // 0 leaves the input out of the cycle.
  const auto& times = dwell_[entry.number - 1];
  Millis cycle = 0;
  for (int i = 0; i < inputs(); ++i) cycle += times[i] * 1000;
  if (cycle == 0) return 1;
  Millis t = clock_.now_ms() % cycle;
  for (int i = 0; i < inputs(); ++i) {
    if (t < times[i] * 1000) return i + 1;
    t -= times[i] * 1000;
  }
  return 1;
}

std::string Unit::output_state_reply() const {
  std::string text = "OCD";
  for (int k = 0; k < kOutputs; ++k) text += digits(shown_input(k), 2);
  return line(text);
}

std::string Unit::output_selection_reply() const {
  std::string text = "OS";
  for (int k = 0; k < kOutputs; ++k) {
    const Entry entry = output_entry(k);
    text += entry.kind + digits(entry.number, 2);
  }
  return line(text);
}

// --- Reads -------------------------------------------------------------------------

std::string Unit::read(std::string_view c) {
  const int count = inputs();
  if (c == "ROP")
    return line("OP" + (pattern_in_force_ == kFree ? "FR" : digits(pattern_in_force_ + 1, 2)));
  if (c.substr(0, 3) == "ROP") {
    const auto pattern = number(c.substr(3), 2, 1, kPatterns);
    if (!pattern) return kRefused;
    return line("OP" + digits(*pattern, 2) + *entries_text(*pattern - 1));
  }
  if (c.substr(0, 3) == "RSP") {
    const auto pattern = number(c.substr(3), 2, 1, kPatterns);
    if (!pattern) return kRefused;
    std::string text = "SP" + digits(*pattern, 2);
    for (int i = 0; i < count; ++i) text += digits(dwell_[*pattern - 1][i], 2);
    return line(text);
  }
  if (c == "RTSDR") return line("TSDR" + std::to_string(display_range_));
  if (c == "RTSDS") return line(std::string("TSDS") + display_size_);
  if (c == "RTSI") return line("TSI" + tsi_.substr(0, static_cast<size_t>(count)));
  if (c == "RTSO") return line("TSO" + tso_);
  if (c == "RCTI") return line("CTI" + cti_.substr(0, static_cast<size_t>(count)));
  if (c == "RCTO") return line("CTO" + cto_);
  if (c == "RCTPI") return line("CTPI" + ctpi_.substr(0, static_cast<size_t>(count)));
  if (c == "RCTSI") return line("CTSI" + ctsi_.substr(0, static_cast<size_t>(count)));
  if (c == "RCTAT") return line("CTAT" + digits(offset_top_, 2));
  if (c == "RCTAB") return line("CTAB" + digits(offset_bottom_, 2));
  if (c.substr(0, 3) == "RCT") {
    const auto channel = number(c.substr(3), 2, 1, count);
    return channel ? title_reply(*channel) : kRefused;
  }
  if (c == "RPO") return line(std::string("POO") + password_on_button_);
  if (c == "RPM") return line(std::string("PMO") + password_on_menu_);
  if (c == "RPN") return line("PN" + password_);
  if (c == "ROE") return line("OE" + oe_);
  if (c == "ROS") return output_selection_reply();
  if (c == "ROCD") return output_state_reply();
  return kRefused;
}

}  // namespace sim
