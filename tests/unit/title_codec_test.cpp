#include "protocol/title_codec.h"

#include <gtest/gtest.h>

#include "protocol/glyph_size.h"
#include "test_support.h"

namespace orv {
namespace {

using test::sjis;

std::optional<std::uint16_t> first_code(std::string_view title) {
  const auto padded = pad_title(title);
  if (!padded) return std::nullopt;
  const auto codes = encode_title(*padded);
  if (!codes) return std::nullopt;
  return (*codes)[0];
}

TEST(PadTitle, PadsWithIdeographicSpacesAndRefusesOddAndOverlongTitles) {
  const auto padded = pad_title(sjis({0x82, 0x60, 0x82, 0x61}));  // ＡＢ
  ASSERT_TRUE(padded.has_value());
  EXPECT_EQ(std::string(padded->data(), 56),
            sjis({0x82, 0x60, 0x82, 0x61}) + test::repeat("\x81\x40", 26));
  EXPECT_TRUE(pad_title("").has_value());
  EXPECT_TRUE(pad_title(test::repeat("\x82\xa0", 28)).has_value());
  EXPECT_FALSE(pad_title(test::repeat("\x82\xa0", 28) + "A").has_value());
  EXPECT_FALSE(pad_title(test::repeat("\x82\xa0", 29)).has_value());
  EXPECT_FALSE(pad_title(sjis({0x82, 0xa0, 0x41})).has_value());
}

TEST(EncodeTitle, KnownCodePoints) {
  EXPECT_EQ(first_code("\x82\xa0"), 0x2422);          // あ
  EXPECT_EQ(first_code(sjis({0xFA, 0x40})), 0x7C71);  // small Roman numeral one
  EXPECT_EQ(first_code(sjis({0xFA, 0x49})), 0x7C7A);
  EXPECT_EQ(first_code(sjis({0xFA, 0x55})), 0x7C7C);
  EXPECT_EQ(first_code(sjis({0xFA, 0x5C})), 0x7921);  // first IBM-extension kanji
  EXPECT_EQ(first_code(sjis({0xED, 0x40})), 0x7921);  // its NEC-selected twin
  EXPECT_EQ(first_code(sjis({0x87, 0x40})), 0x2D21);  // NEC special, row 13
  EXPECT_EQ(first_code(sjis({0xEA, 0xA4})), 0x7426);  // last JIS level 2 kanji
}

TEST(EncodeTitle, RefusesCharactersOutsideJisRowsOneToNinetyFour) {
  EXPECT_FALSE(first_code(sjis({0xFA, 0x4A})).has_value());  // Roman numeral one, IBM block
  EXPECT_FALSE(first_code(sjis({0xFA, 0x58})).has_value());
  EXPECT_FALSE(first_code(sjis({0xF1, 0x85})).has_value());  // beyond registration 256
  EXPECT_FALSE(first_code("AB").has_value());                // single-byte characters
  EXPECT_FALSE(first_code(sjis({0xB1, 0xB2})).has_value());  // half-width katakana
  EXPECT_FALSE(first_code(sjis({0x82, 0x3F})).has_value());  // no trail byte
  // The title as a whole fails on its first bad character.
  const auto padded = pad_title(sjis({0x82, 0xa0, 0xF9, 0x40}));
  EXPECT_FALSE(encode_title(*padded).has_value());
}

// Registrations 001..256 are the user-defined area's first 256 characters in
// Shift_JIS order, held by the unit as their glyph codes A365..A64A.
TEST(ExternalCharacters, TheUserDefinedAreaInOrderHeldAsGlyphCodes) {
  EXPECT_EQ(first_code(sjis({0xF0, 0x40})), 0xA365);                       // 001
  EXPECT_EQ(first_code(sjis({0xF0, 0x80})), registration_glyph_code(63));  // 7F skipped
  EXPECT_EQ(first_code(sjis({0xF1, 0x84})), 0xA64A);                       // 256
  for (int n = 0; n < kGlyphRegistrations; ++n) {
    ASSERT_EQ(registration_of_external(external_character(n)), n);
    ASSERT_EQ(registration_of_glyph_code(registration_glyph_code(n)), n);
  }
  EXPECT_FALSE(registration_of_glyph_code(0xA364).has_value());
}

TEST(MapIbmExtension, RowsInOrder) {
  EXPECT_EQ(map_ibm_extension(0xFA5C), 0xED40);
  EXPECT_EQ(map_ibm_extension(0xFA80), 0xED63);
  EXPECT_EQ(map_ibm_extension(0xFA9C), 0xED80);
  EXPECT_EQ(map_ibm_extension(0xFB40), 0xEDE1);
  EXPECT_EQ(map_ibm_extension(0xFC4B), 0xEEEC);
  EXPECT_EQ(map_ibm_extension(0xFC4C), 0);
  EXPECT_EQ(map_ibm_extension(0xFAFD), 0);
}

TEST(JisToShiftJis, RoundTripsEveryCodeOfTheNinetyFourRows) {
  for (int high = 0x21; high <= 0x7E; ++high) {
    for (int low = 0x21; low <= 0x7E; ++low) {
      const auto jis = static_cast<std::uint16_t>(high << 8 | low);
      const auto back = sjis_to_jis(jis_to_sjis(jis));
      ASSERT_TRUE(back.has_value()) << std::hex << jis;
      ASSERT_EQ(*back, jis);
    }
  }
}

TEST(SampleGlyphCode, ConvertsOrFallsBackToTheIdeographicSpace) {
  EXPECT_EQ(sample_glyph_code(sjis({0x82, 0x60})), 0x2341);
  EXPECT_EQ(sample_glyph_code("A"), 0x2121);
  EXPECT_EQ(sample_glyph_code(sjis({0xF0, 0x40})), 0x2121);
}

}  // namespace
}  // namespace orv
