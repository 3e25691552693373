#include "titles/glyph_file.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(GlyphFile, WritesTheDigitsOfTheSizeAndReadsThemBackInEitherCase) {
  GlyphBitmap bitmap{};
  set_glyph_pixel(bitmap, GlyphSize::small, 0, 0, true);
  EXPECT_EQ(format_glyph_file(bitmap, GlyphSize::small), "80" + std::string(142, '0') + "\r\n");
  EXPECT_EQ(format_glyph_file(bitmap, GlyphSize::large).size(), 578u);
  const auto lower = parse_glyph_file("  ab" + std::string(142, 'f') + "\n", GlyphSize::small);
  ASSERT_TRUE(lower.has_value());
  EXPECT_EQ((*lower)[0], 0xAB);
  EXPECT_EQ((*lower)[71], 0xFF);
  EXPECT_EQ((*lower)[72], 0);
}

TEST(GlyphFile, RefusesShortOrNonHexTokens) {
  EXPECT_FALSE(parse_glyph_file(std::string(143, '0'), GlyphSize::small).has_value());
  EXPECT_FALSE(
      parse_glyph_file(std::string(100, '0') + " " + std::string(100, '0'), GlyphSize::small)
          .has_value());
  EXPECT_FALSE(parse_glyph_file("0x" + std::string(142, '0'), GlyphSize::small).has_value());
  EXPECT_FALSE(parse_glyph_file("", GlyphSize::large).has_value());
}

TEST(GlyphPixels, MostSignificantBitIsTheLeftmostPixel) {
  GlyphBitmap bitmap{};
  set_glyph_pixel(bitmap, GlyphSize::large, 1, 9, true);  // pixel 57: byte 7, mask 0x40
  EXPECT_EQ(bitmap[7], 0x40);
  EXPECT_TRUE(glyph_pixel(bitmap, GlyphSize::large, 1, 9));
  set_glyph_pixel(bitmap, GlyphSize::large, 1, 9, false);
  EXPECT_EQ(bitmap[7], 0);
  set_glyph_pixel(bitmap, GlyphSize::small, 24, 0, true);  // outside a 24-pixel glyph
  EXPECT_EQ(bitmap[72], 0);
  EXPECT_FALSE(glyph_pixel(bitmap, GlyphSize::small, -1, 0));
}

TEST(GlyphCodes, RegistrationNumbersAcrossRows) {
  EXPECT_EQ(registration_glyph_code(0), 0xA365);
  EXPECT_EQ(registration_glyph_code(25), 0xA37E);
  EXPECT_EQ(registration_glyph_code(26), 0xA421);
  EXPECT_EQ(registration_glyph_code(255), 0xA64A);
}

}  // namespace
}  // namespace orv
