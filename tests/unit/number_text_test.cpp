#include "protocol/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

std::string decimal(long long value, int width) {
  std::string out(8, '#');
  const int written = format_decimal(value, out.data(), width);
  return out.substr(0, static_cast<size_t>(written)) + "|" + std::to_string(written);
}

std::string hex(long long value, int width, bool upper) {
  std::string out(8, '#');
  const int written = format_hex(value, out.data(), width, upper);
  return out.substr(0, static_cast<size_t>(written)) + "|" + std::to_string(written);
}

TEST(FormatDecimal, WritesExactlyTheWidthZeroPadded) {
  EXPECT_EQ(decimal(7, 2), "07|2");
  EXPECT_EQ(decimal(0, 3), "000|3");
  EXPECT_EQ(decimal(99, 2), "99|2");
  EXPECT_EQ(decimal(192, 3), "192|3");
}

TEST(FormatDecimal, RefusesValuesThatDoNotFitAndWritesNothing) {
  std::string out = "abc";
  EXPECT_EQ(format_decimal(100, out.data(), 2), 0);
  EXPECT_EQ(format_decimal(-1, out.data(), 2), 0);
  EXPECT_EQ(out, "abc");
}

TEST(FormatHex, HonoursTheCaseFlag) {
  EXPECT_EQ(hex(47, 2, true), "2F|2");
  EXPECT_EQ(hex(47, 2, false), "2f|2");
  EXPECT_EQ(hex(0x2121, 4, true), "2121|4");
  EXPECT_EQ(hex(0xFFFF, 4, true), "FFFF|4");
  EXPECT_EQ(hex(0x10000, 4, true), "|0");
}

TEST(ParseDecimal, ReadsTheFirstWidthCharactersUnchecked) {
  EXPECT_EQ(parse_decimal("192", 3), 192);
  EXPECT_EQ(parse_decimal("0712", 2), 7);
  // Not validated: ':' is one more than '9'.
  EXPECT_EQ(parse_decimal("1:", 2), 20);
  // A shorter text never reads past its end.
  EXPECT_EQ(parse_decimal("7", 2), 70);
}

TEST(ParseHex, AcceptsBothCases) {
  EXPECT_EQ(parse_hex("1a", 2), 26);
  EXPECT_EQ(parse_hex("1A", 2), 26);
  EXPECT_EQ(parse_hex("A365", 4), 0xA365);
}

TEST(DigitChecks, TellDigitsFromAnythingElse) {
  EXPECT_TRUE(is_decimal_digits("0123456789"));
  EXPECT_FALSE(is_decimal_digits("12a"));
  EXPECT_TRUE(is_hex_digits("09afAF"));
  EXPECT_FALSE(is_hex_digits("0g"));
}

}  // namespace
}  // namespace orv
