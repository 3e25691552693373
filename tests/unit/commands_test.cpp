// The command texts are checked against the independent simulator: those of
// set-all and read-all by the command-line tool's round trip (cli_test.cpp),
// the dialogs' by the end-to-end tests (tests/e2e). Here: refusals and the
// rules that turn values into text.
#include "protocol/commands.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "bulk/clock_sync.h"
#include "protocol/channel_arrays.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

std::string text(const Command& c) {
  return c.sendable() ? c.text : "<refused>";
}

// A source code beyond 0..inputCount+63, a display switch other than off
// and on, a glyph beyond its size's registrations.
TEST(Commands, ValuesOutsideTheirRangeAreRefusedAsCommandErrors) {
  LayoutRow row{};
  row[7] = 999;
  const std::array<std::uint8_t, kGlyphBitmapBytes> bitmap{};
  for (const Command& c : {build_switch_pattern(65),
                           build_free_layout_output(0, 96, 32),
                           build_pattern_output(64, 0, 0, 32),
                           build_pattern(4, row, 32),
                           build_dwell_time(0, 0, 100),
                           build_date_time_range(8),
                           build_set_year(100),
                           build_set_year(-1),
                           build_set_day(32),
                           build_set_day(0),
                           build_set_hour(24),
                           build_set_minute(60),
                           build_set_second(60),
                           build_title_display_input(0, 2),
                           build_title_display_output(0, -1),
                           build_date_time_display_input(0, 9),
                           build_date_time_display_output(0, 2),
                           build_password("48291a"),
                           build_password("48291"),
                           build_converter_port_number(""),
                           build_converter_port_number("12a"),
                           build_converter_port_number("123456"),
                           build_converter_time_register(6),
                           build_read_registered_glyph(GlyphSize::large, 70),
                           build_register_glyph(GlyphSize::medium, 160, bitmap),
                           build_converter_ip_address({256, 0, 0, 0})})
    EXPECT_EQ(c.refusal, Command::Refusal::command_error) << c.text;
  // The month is refused without a report.
  EXPECT_EQ(build_set_month(13).refusal, Command::Refusal::silent);
  EXPECT_EQ(build_set_month(0).refusal, Command::Refusal::silent);
}

// A stored value outside a member's list, as a settings file may hold,
// goes out by the member's rule.
TEST(Commands, StoredValuesOutsideTheListFollowEachMembersRule) {
  using M = PerChannelMember;
  EXPECT_EQ(text(build_date_time_size(7)), "TSDSN\r\n");
  EXPECT_EQ(text(build_title_position(4, 7)), "CTPI05T\r\n");
  EXPECT_EQ(text(build_font_size(4, 9)), "CTSI05L\r\n");
  EXPECT_EQ(text(build_video_output(30, 5)), "OE32OF\r\n");
  std::vector<int> sizes(32, 2);
  sizes[0] = 0;
  sizes[1] = 1;
  sizes[2] = -1;  // "S", as any value but 0 and 1
  EXPECT_EQ(text(build_all_channels(M::font_size, sizes)),
            "CTSILMS" + std::string(29, 'S') + "\r\n");
  std::vector<int> display(64, 7);  // not 1: "F"
  display[5] = 1;
  EXPECT_EQ(text(build_all_channels(M::date_time_display_input, display)),
            "TSIFFFFFN" + std::string(58, 'F') + "\r\n");
  std::vector<int> video(32, 3);  // non-zero: "N"
  video[0] = 0;
  EXPECT_EQ(text(build_all_channels(M::video_output, video)),
            "OEF" + std::string(31, 'N') + "\r\n");
  std::vector<int> position(32, 0);
  position[31] = 5;  // non-zero: "T"
  EXPECT_EQ(text(build_all_channels(M::title_position, position)),
            "CTPI" + std::string(31, 'B') + "T\r\n");
}

TEST(Commands, GlyphsAndConverterFieldsByTheirWidths) {
  std::array<std::uint8_t, kGlyphBitmapBytes> bitmap{};
  bitmap[0] = 0x80;
  bitmap[71] = 0x0F;
  const Command small = build_register_glyph(GlyphSize::small, 0, bitmap);
  EXPECT_EQ(small.text.size(), 152u);
  EXPECT_EQ(small.text.substr(0, 8), "GRS00180");
  EXPECT_EQ(small.text.substr(148), "0F\r\n");
  EXPECT_EQ(text(build_converter_gateway_address({10, 0, 0, 254})), "EGA010.000.000.254\r\n");
}

TEST(NumberText, FormatsExactlyTheWidthOrWritesNothing) {
  std::string out = "abcd";
  EXPECT_EQ(format_decimal(7, out.data(), 3), 3);
  EXPECT_EQ(out, "007d");
  EXPECT_EQ(format_hex(47, out.data(), 2, false), 2);
  EXPECT_EQ(out, "2f7d");
  EXPECT_EQ(format_decimal(100, out.data(), 2), 0);
  EXPECT_EQ(format_decimal(-1, out.data(), 2), 0);
  EXPECT_EQ(format_hex(0x10000, out.data(), 4, true), 0);
  EXPECT_EQ(out, "2f7d");
}

TEST(NumberText, ParsesTheFirstWidthCharactersUnchecked) {
  EXPECT_EQ(parse_decimal("0712", 2), 7);
  EXPECT_EQ(parse_decimal("1:", 2), 20) << "':' is one more than '9'";
  EXPECT_EQ(parse_decimal("7", 2), 70) << "a shorter text is never read past its end";
  EXPECT_EQ(parse_hex("1a", 2), 26);
  EXPECT_EQ(parse_hex("A365", 4), 0xA365);
  EXPECT_FALSE(is_decimal_digits("12a"));
  EXPECT_TRUE(is_hex_digits("09afAF"));
  EXPECT_FALSE(is_hex_digits("0g"));
}

// A unit's calendar as the clock commands leave it, checked after every
// step: the date it stands at must exist.
struct UnitCalendar {
  int year, month, day, hour, minute, second;

  static int days_in(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
  }
  void take(const std::string& line) {
    const int value = std::stoi(line.substr(3, 2));
    const std::string field = line.substr(0, 3);
    if (field == "DSY") year = 2000 + value;
    if (field == "DSM") month = value;
    if (field == "DSD") day = value;
    if (field == "TSH") hour = value;
    if (field == "TSM") minute = value;
    if (field == "TSS") second = value;
  }
  bool exists() const {
    return month >= 1 && month <= 12 && day >= 1 && day <= days_in(year, month);
  }
};

// Runs one pass of `sync`, the computer's clock reading `times[step - 1]`
// (the last time for the steps beyond), into `unit`; the lines sent.
std::vector<std::string> one_pass(const std::vector<LocalTime>& times, UnitCalendar& unit) {
  size_t step = 0;
  ClockSync sync([&] { return times[std::min(step, times.size()) - 1]; }, 8);
  std::vector<std::string> lines;
  for (step = 1; step <= ClockSync::kSteps; ++step) {
    const std::string line = sync.step(static_cast<int>(step)).command.text;
    lines.push_back(line);
    unit.take(line);
    EXPECT_TRUE(unit.exists()) << "after " << line << unit.year << "-" << unit.month << "-"
                               << unit.day;
  }
  lines.push_back(sync.crossed() ? "crossed" : "in one minute");
  return lines;
}

TEST(ClockSync, NoStepLeavesTheUnitAtADateThatDoesNotExist) {
  const LocalTime computer{2025, 2, 28, 10, 20, 30, 995};  // +8 ms on the line: second 31
  for (UnitCalendar unit :
       {UnitCalendar{2025, 1, 31, 23, 59, 59}, UnitCalendar{2024, 2, 29, 0, 0, 0},
        UnitCalendar{2099, 12, 31, 12, 0, 0}}) {
    EXPECT_EQ(
        one_pass({computer}, unit),
        (std::vector<std::string>{"TSS00\r\n", "DSD01\r\n", "DSY25\r\n", "DSM02\r\n", "DSD28\r\n",
                                  "TSH10\r\n", "TSM20\r\n", "TSS31\r\n", "in one minute"}));
  }
}

TEST(ClockSync, APassThatCrossesAMinuteOrRunsLongGoesAgain) {
  UnitCalendar unit{2020, 6, 15, 8, 0, 0};
  const LocalTime old_year{2025, 12, 31, 23, 59, 59, 990};
  const auto crossing = one_pass({old_year, old_year, old_year, old_year, old_year, old_year,
                                  old_year, LocalTime{2025, 12, 31, 23, 59, 59, 995}},
                                 unit);
  EXPECT_EQ(crossing[7], "TSS00\r\n") << "59.995 s + 8 ms arrives in the next year";
  EXPECT_EQ(crossing[8], "crossed");
  const auto again = one_pass({LocalTime{2026, 1, 1, 0, 0, 0, 40}}, unit);
  EXPECT_EQ(again[2], "DSY26\r\n");
  EXPECT_EQ(again[8], "in one minute");
  const auto slow =
      one_pass({LocalTime{2026, 1, 1, 0, 0, 0, 0}, LocalTime{2026, 1, 1, 0, 0, 51, 0}}, unit);
  EXPECT_EQ(slow[8], "crossed") << "51 s: the unit's seconds may have rolled its minute";
  EXPECT_EQ(later_by(LocalTime{2024, 2, 28, 23, 59, 59, 999}, 2).day, 29) << "leap day";
}

TEST(ClockSync, AYearTheUnitCannotTakeIsRefusedByName) {
  ClockSync sync([] { return LocalTime{2100, 1, 1, 0, 0, 0, 0}; });
  EXPECT_EQ(sync.refusal(), "the computer's year 2100 is outside 2000..2099");
  sync.step(1);
  sync.step(2);
  EXPECT_FALSE(sync.step(3).command.sendable());
  EXPECT_EQ(ClockSync([] { return LocalTime{2099, 12, 31, 0, 0, 0, 0}; }).refusal(), "");
}

}  // namespace
}  // namespace orv
