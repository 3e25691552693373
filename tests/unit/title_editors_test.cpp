#include <gtest/gtest.h>

#include "test_support.h"
#include "titles/glyph_editor.h"
#include "titles/glyph_file.h"
#include "titles/glyph_insertion.h"
#include "titles/title_csv.h"
#include "titles/title_editor.h"

namespace orv {
namespace {

using test::sjis;

TEST(TitleEditor, EditsPagesOfEightAndSendsOnlyWhatTheUnitTakes) {
  DeviceSettings settings;
  ChannelSelection input;
  TitleEditor editor(settings, input);
  EXPECT_FALSE(editor.choose_channel(7));
  EXPECT_TRUE(editor.choose_channel(8)) << "ch.09 starts the second page";
  EXPECT_EQ(editor.painted_table()[0].label, "ch.09 =");
  editor.choose_channel(2);
  ASSERT_TRUE(editor.store_title(sjis({0x82, 0x60, 0x82, 0x61})));  // ＡＢ
  EXPECT_EQ(settings.settingsDirty, 1);
  EXPECT_EQ(editor.painted_table()[2].title_shift_jis, editor.title());
}

class Glyphs : public ::testing::Test {
 protected:
  GlyphBitmap bitmap{};
  GlyphEditor small{GlyphSize::small, bitmap};  // cells of 20 pixels
  // The middle of a cell, in client pixels.
  static int at(int cell) { return kGridLeft + 20 * cell + 10; }
};

TEST_F(Glyphs, PensDrawInsideTheOuterRingOnly) {
  EXPECT_FALSE(small.press(GlyphEditor::Pen::set, at(0), at(5)).has_value()) << "outer ring";
  EXPECT_FALSE(small.move(kGridLeft + 20, at(5)).has_value()) << "u equal to the cell size";
  EXPECT_FALSE(small.modified());
  EXPECT_EQ(small.move(at(1), at(5)), (GridCell{5, 1}));
  EXPECT_TRUE(small.pixel({5, 1}));
  EXPECT_FALSE(small.move(at(1) + 3, at(5)).has_value()) << "already set: no change";
  EXPECT_EQ(small.press(GlyphEditor::Pen::clear, at(1), at(5)), (GridCell{5, 1}));
  small.release(GlyphEditor::Pen::set);
  EXPECT_EQ(small.pen(), GlyphEditor::Pen::clear) << "releasing the other button";
  small.lift();
  EXPECT_FALSE(small.move(at(2), at(2)).has_value()) << "no pen after the capture is lost";
  EXPECT_TRUE(small.modified());
}

TEST_F(Glyphs, AFileRefusedWholeChangesNothing) {
  small.press(GlyphEditor::Pen::set, at(1), at(1));
  EXPECT_EQ(small.file_text().substr(0, 8), "00000040") << "row 1 begins at byte 3";
  const std::string saved = small.file_text();
  small.clear();
  EXPECT_TRUE(small.load_file_text(saved));
  EXPECT_TRUE(small.pixel({1, 1}));
  EXPECT_FALSE(small.modified());
  EXPECT_EQ(small.sample_command("").text, "RFBMS2121\r\n");
}

// What a spreadsheet may write back: quotes, commas and line breaks inside a
// title, LF or CR LF, no header, empty lines.
TEST(TitleCsv, TitlesComeBackAsTheyWentAndBadLinesAreNamed) {
  const std::vector<std::string> titles{"plain", "with, comma", "say \"hi\"", "two\nlines", ""};
  std::vector<TitleCsvRow> rows;
  TitleCsvError error;
  ASSERT_TRUE(parse_title_csv(format_title_csv(titles), 64, rows, error));
  ASSERT_EQ(rows.size(), titles.size());
  for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ(rows[i].title, titles[i]);
  EXPECT_EQ(rows[4].line, 7) << "the line break inside a title counts";

  const auto fails_at = [](std::string_view text, int inputs) {
    std::vector<TitleCsvRow> ignored;
    TitleCsvError e;
    return parse_title_csv(text, inputs, ignored, e) ? std::make_pair(TitleCsvError::Kind{}, 0)
                                                     : std::make_pair(e.kind, e.line);
  };
  using Kind = TitleCsvError::Kind;
  EXPECT_EQ(fails_at("1,a\n\n33,b\n", 32), std::make_pair(Kind::bad_channel, 3));
  EXPECT_EQ(fails_at("1,a\r\n1,b\r\n", 32), std::make_pair(Kind::repeated_channel, 2));
  EXPECT_EQ(fails_at("channel,title\n1,a,b\n", 32), std::make_pair(Kind::not_a_row, 2));
  EXPECT_EQ(fails_at("0,a\n", 32), std::make_pair(Kind::bad_channel, 1));
  EXPECT_EQ(fails_at("1,a\n3,\"Gate", 32), std::make_pair(Kind::not_a_row, 2)) << "unclosed";
  EXPECT_EQ(fails_at("64,a\n", 64).second, 0);
}

TEST(GlyphInsertion, RangesFollowTheFontSize) {
  GlyphInsertion insertion{2, 199, 24};  // SMALL, 200, position 25
  clamp_insertion(insertion);
  EXPECT_EQ(insertion.registration, 199);
  insertion.font_size = 0;  // LARGE
  clamp_insertion(insertion);
  EXPECT_EQ(insertion.registration, 69);
  EXPECT_EQ(insertion.position, 13);
  EXPECT_EQ(position_items(1).size(), 21u);
}

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
