#include "protocol/device_settings.h"

#include <gtest/gtest.h>

#include "protocol/source_code.h"
#include "settings_file/settings_file.h"
#include "test_support.h"

namespace orv {
namespace {

using test::sjis;

TEST(StartupSettings, DefaultTitlesCarryFullWidthChannelNumbers) {
  const DeviceSettings s;
  // Title 2: five ideographic spaces, ＣＨ, ０２; title 64 ends in ６４.
  EXPECT_EQ(title_text(s.titles[1]),
            test::repeat("\x81\x40", 5) + sjis({0x82, 0x62, 0x82, 0x67, 0x82, 0x4f, 0x82, 0x51}));
  EXPECT_EQ(title_text(s.titles[63]).substr(14), sjis({0x82, 0x55, 0x82, 0x53}));
}

TEST(ResetToDefaults, RestoresSettingsButKeepsModelPatternInForceAndConverter) {
  DeviceSettings s;
  apply_model(s, kModelTarquine);
  s.currentScreenPattern = 12;
  s.converterIpAddress = {10, 0, 0, 1};
  s.glyphBitmap[0] = 0xFF;
  DeviceSettings expected = s;  // the start-up values with what New keeps

  s.screenPatterns[3][4] = 70;
  s.autoSwitchPatterns[1][1] = 50;
  s.dateTimeRange = 6;
  s.titleDisplayOutput[5] = 0;
  set_title(s.titles[4], "\x82\xa0");
  s.titleOffsetBottom = 1;
  set_buffer_text(s.password, "000000");
  s.videoOutput[3] = 0;
  reset_to_defaults(s);

  EXPECT_EQ(format_settings_file(s), format_settings_file(expected));
  EXPECT_EQ(s.inputCount, 64);
  EXPECT_EQ(s.glyphBitmap[0], 0xFF);
}

TEST(ApplyModel, SwitchingPatternEntriesKeepTheirNumberAndHighInputsFold) {
  DeviceSettings s;
  s.screenPatterns[0][0] = 33;  // ORVELLAN: switching pattern 02
  s.screenPatterns[0][1] = 31;  // input 32
  apply_model(s, kModelTarquine);
  EXPECT_EQ(s.inputCount, 64);
  EXPECT_EQ(s.screenPatterns[0][0], 65);
  EXPECT_EQ(s.screenPatterns[0][1], 31);
  EXPECT_EQ(decode_source(65, 64), (Source{SourceKind::switching_pattern, 2}));

  s.screenPatterns[kFreeLayout][2] = 39;  // TARQUINE: input 40
  s.screenPatterns[kFreeLayout][3] = 68;  // switching pattern 05
  apply_model(s, kModelOrvellan);
  EXPECT_EQ(s.inputCount, 32);
  EXPECT_EQ(s.screenPatterns[0][0], 33);
  EXPECT_EQ(decode_source(s.screenPatterns[kFreeLayout][2], 32), (Source{SourceKind::input, 8}));
  EXPECT_EQ(decode_source(s.screenPatterns[kFreeLayout][3], 32),
            (Source{SourceKind::switching_pattern, 5}));
}

TEST(SourceCodes, DecodeAndEncodeByInputCount) {
  EXPECT_EQ(decode_source(32, 64), (Source{SourceKind::input, 33}));
  EXPECT_EQ(decode_source(95, 32), (Source{SourceKind::switching_pattern, 64}));
  EXPECT_FALSE(decode_source(96, 32).has_value());
  EXPECT_FALSE(decode_source(-1, 32).has_value());
  EXPECT_FALSE(encode_source({SourceKind::input, 33}, 32).has_value());
}

}  // namespace
}  // namespace orv
