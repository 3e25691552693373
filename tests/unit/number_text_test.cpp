#include "protocol/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

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
