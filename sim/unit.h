// One ORVELLAN or TARQUINE unit as seen from its serial port: it keeps every
// setting the program can set or read, answers each command line with "GO",
// "E3" (malformed or out of range) or the data asked for, and reports what
// each output shows now, cycling automatic switching patterns over time.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clock.h"

namespace sim {

enum class Model { orvellan, tarquine };
int inputs_of(Model model);

inline constexpr int kOutputs = 32;
inline constexpr int kPatterns = 64;
inline constexpr int kFree = 64;  // the free layout, "FR"
inline constexpr int kTitleChars = 28;

// What one output of a layout shows: input channel or switching pattern.
struct Entry {
  char kind = 'I';  // 'I' input, 'S' automatic switching pattern
  int number = 1;   // 1-based
  bool operator==(const Entry&) const = default;
};

// Glyph sizes by their command letter: bitmap bytes and registrations.
struct GlyphSize {
  char letter;
  int bytes;
  int registrations;
};
std::optional<GlyphSize> glyph_size(char letter);
// The JIS-like code the unit gives registration number n (1-based).
int glyph_code(int registration);

class Unit {
 public:
  Unit(Model model, const Clock& clock);

  // Handles one command (no address field, no CR LF) and returns the reply
  // line with its CR LF.
  std::string handle(std::string_view command);

  Model model() const { return model_; }
  int inputs() const { return inputs_of(model_); }

  // The entry an output follows now: a forced one, or the layout in force.
  Entry output_entry(int output) const;
  // The input an output shows at this moment (1-based).
  int shown_input(int output) const;
  // Forces an output to an entry (the control channel's "output"), or lets
  // it follow the layout in force again.
  void force_output(int output, std::optional<Entry> entry);

  // The unit's calendar clock as "YYYY-MM-DD hh:mm:ss".
  std::string clock_text() const;

 private:
  using Handler = std::string (Unit::*)(std::string_view);
  struct Route {
    std::string_view prefix;
    Handler handler;
  };
  static const std::vector<Route>& routes();

  // Settings, in the unit's own terms.
  std::string switch_pattern(std::string_view c);
  std::string set_layout_output(std::string_view c);
  std::string set_free_layout(std::string_view c);
  std::string set_pattern(std::string_view c);
  std::string set_dwell(std::string_view c);
  std::string set_date(std::string_view c);
  std::string set_time(std::string_view c);
  std::string set_display_range(std::string_view c);
  std::string set_display_size(std::string_view c);
  std::string thirty_second_correction(std::string_view c);
  std::string set_flags(std::string_view c);
  std::string set_title_offset(std::string_view c);
  std::string set_title(std::string_view c);
  std::string set_password_flag(std::string_view c);
  std::string set_password(std::string_view c);
  std::string set_video_output(std::string_view c);
  std::string register_glyph(std::string_view c);
  std::string insert_glyph(std::string_view c);
  std::string read(std::string_view c);
  std::string read_glyph(std::string_view c);

  std::optional<std::string> entries_text(int layout) const;
  bool parse_entries(std::string_view text, std::array<Entry, kOutputs>& out) const;
  std::optional<Entry> parse_entry(std::string_view text) const;
  std::string* flag_string(std::string_view name);
  std::string title_reply(int channel) const;
  std::string output_state_reply() const;
  std::string output_selection_reply() const;
  void start_calendar();
  void fold_elapsed_time();

  Model model_;
  const Clock& clock_;

  int pattern_in_force_ = 0;  // 0..63, kFree
  std::array<std::array<Entry, kOutputs>, kPatterns + 1> layouts_{};
  std::array<std::array<int, 64>, kPatterns> dwell_{};
  int display_range_ = 1;                                  // 1..8
  char display_size_ = 'N';                                // N or S
  std::string tsi_, tso_, cti_, cto_, ctpi_, ctsi_, oe_;   // one letter per channel
  std::array<std::array<int, kTitleChars>, 64> titles_{};  // JIS codes
  int offset_top_ = 8;
  int offset_bottom_ = 8;
  char password_on_button_ = 'F';
  char password_on_menu_ = 'F';
  std::string password_ = "000000";
  std::map<std::pair<char, int>, std::vector<std::uint8_t>> glyphs_;
  struct Calendar {
    int year, month, day;         // as set
    std::int64_t seconds_of_day;  // at set_at
    std::int64_t set_at;          // host wall seconds
  };
  Calendar calendar_{};
  std::array<std::optional<Entry>, kOutputs> forced_{};
};

}  // namespace sim
