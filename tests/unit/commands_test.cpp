// The command texts are checked against the independent simulator: those of
// set-all and read-all by the command-line tool's round trip (cli_test.cpp),
// the dialogs' by the end-to-end tests (tests/e2e). Here: refusals and the
// rules that turn values into text.
#include "protocol/commands.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace orv
