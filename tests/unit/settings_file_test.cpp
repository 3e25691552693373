#include "settings_file/settings_file.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <map>

#include "protocol/device_settings.h"
#include "protocol/source_code.h"
#include "random_settings.h"
#include "settings_file/settings_diff.h"
#include "test_support.h"

namespace orv {
namespace {

using test::sjis;

// The file of the start-up settings with some lines replaced.
std::string default_file_with(const std::map<size_t, std::string>& replaced,
                              const char* line_end = "\r\n") {
  auto lines = test::crlf_lines(format_settings_file(DeviceSettings{}));
  for (const auto& [index, text] : replaced) lines[index] = text;
  std::string joined;
  for (const auto& l : lines) joined += l + line_end;
  return joined;
}

DeviceSettings read_back(const std::string& text, int model) {
  DeviceSettings out;
  SettingsFileError error;
  EXPECT_TRUE(parse_settings_file(text, settings_for_model(model), out, error)) << error.reason;
  return out;
}

TEST(SettingsFile, LinesSitWhereEarlierFilesHaveThem) {
  const auto lines = test::crlf_lines(format_settings_file(DeviceSettings{}));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kSettingsFileLines));
  EXPECT_EQ(lines[32], "31");   // pattern 01, output 32
  EXPECT_EQ(lines[2081], "3");  // first dwell time
  EXPECT_EQ(lines[6567], "482915");
  EXPECT_EQ(lines[6600], "2");  // subnet class C
}

TEST(SettingsFile, RoundTripsBothModels) {
  for (int model : {kModelOrvellan, kModelTarquine}) {
    for (unsigned draw : {1u, 2u, 3u}) {
      DeviceSettings s = test::random_settings(model, draw);
      s.converterIpAddress = {10, 1, 2, 3};
      s.converterConnectionTry = 1;
      s.screenPatterns[5][6] = s.inputCount + 63;  // the last switching pattern
      const DeviceSettings back = read_back(format_settings_file(s), model);
      const auto differences = settings_differences(s, back, Compared::whole_file);
      EXPECT_TRUE(differences.empty())
          << model << " " << draw << ": " << differences.front().name << " "
          << differences.front().left << " | " << differences.front().right;
    }
  }
}

TEST(SettingsFile, SourcesAreWrittenAsForSixtyFourInputsAndFoldOntoOrvellan) {
  DeviceSettings s = settings_for_model(kModelOrvellan);
  s.screenPatterns[0][0] = 32;  // SP01
  EXPECT_EQ(test::crlf_lines(format_settings_file(s))[1], "64");
  DeviceSettings t = settings_for_model(kModelTarquine);
  t.screenPatterns[0][0] = 39;  // input 40
  t.screenPatterns[0][1] = 68;  // SP05
  const DeviceSettings back = read_back(format_settings_file(t), kModelOrvellan);
  EXPECT_EQ(back.screenPatterns[0][0], 7);   // input 8
  EXPECT_EQ(back.screenPatterns[0][1], 36);  // SP05 with 32 inputs
}

TEST(SettingsFile, TitlesUseTheFullWidthAsteriskForSpaces) {
  DeviceSettings s;
  const std::string title = sjis({0x82, 0x62, 0x82, 0x67, 0x81, 0x40, 0x82, 0x50});  // ＣＨ　１
  set_title(s.titles[0], title);
  set_title(s.titles[1], test::repeat("\x81\x40", 28));
  set_title(s.titles[2], "");
  const auto lines = test::crlf_lines(format_settings_file(s));
  EXPECT_EQ(lines[6275], sjis({0x82, 0x62, 0x82, 0x67, 0x81, 0x96, 0x82, 0x50}));
  EXPECT_EQ(lines[6276], test::repeat("\x81\x96", 28));
  EXPECT_EQ(lines[6277], test::repeat("\x81\x96", 28));
  const DeviceSettings back = read_back(format_settings_file(s), kModelOrvellan);
  EXPECT_EQ(title_text(back.titles[0]), title);
  EXPECT_EQ(title_text(back.titles[1]), "");
  EXPECT_EQ(title_text(back.titles[2]), "");
}

// A blank inside a token would split it in two and shift every line after it.
TEST(SettingsFile, BlanksInTitlesAndPasswordsKeepTheLinesAfterThemInPlace) {
  DeviceSettings s;
  set_title(s.titles[0], "A B");  // single-byte and a blank: cannot be sent either
  s.titleDisplayInput[0] = 0;
  DeviceSettings back = read_back(format_settings_file(s), kModelOrvellan);
  EXPECT_EQ(title_text(back.titles[0]), "A_B");
  EXPECT_EQ(back.titleDisplayInput[0], 0);
  EXPECT_EQ(back.titleDisplayInput[1], 1);
  for (const char* password : {"", "12 456"}) {
    set_buffer_text(s.password, password);
    s.videoOutput[0] = 0;
    const std::string text = format_settings_file(s);
    EXPECT_EQ(test::crlf_lines(text)[6567], "-") << password;
    back = read_back(text, kModelOrvellan);
    EXPECT_EQ(buffer_text(back.password), "");
    EXPECT_EQ(back.videoOutput[0], 0);
    EXPECT_EQ(back.converterConnectionTry, 0);
  }
}

TEST(SettingsFile, OverlongTokensAreCutAndOutOfRangeValuesTakenAsRead) {
  DeviceSettings back =
      read_back(default_file_with({{6275, test::repeat("\x82\xa0", 40)}, {6567, "12345678901234"}}),
                kModelOrvellan);
  EXPECT_EQ(title_text(back.titles[0]), test::repeat("\x82\xa0", 28));
  EXPECT_EQ(buffer_text(back.password), "123456");
  back = read_back(default_file_with({{6177, "9"}, {6178, "-4"}}, "\n"),  // LF alone reads too
                   kModelOrvellan);
  EXPECT_EQ(back.dateTimeRange, 9);
  EXPECT_EQ(back.dateTimeSize, -4);
}

TEST(SettingsFile, DamagedFilesAreRefusedWithWhereAndTheSettingsKept) {
  const std::string text = format_settings_file(DeviceSettings{});
  DeviceSettings current;
  current.dateTimeRange = 5;
  DeviceSettings out = current;
  SettingsFileError error;

  EXPECT_FALSE(parse_settings_file(text.substr(0, text.size() / 2), current, out, error));
  EXPECT_EQ(error.reason, "the file ends early");
  EXPECT_GT(error.line, 3000);
  EXPECT_FALSE(parse_settings_file(default_file_with({{99, "3x"}}), current, out, error));
  EXPECT_EQ(error.line, 100);
  EXPECT_NE(error.reason.find("3x"), std::string::npos);
  EXPECT_FALSE(parse_settings_file(default_file_with({{99, "99999999999"}}), current, out, error));
  EXPECT_EQ(out.dateTimeRange, 5);
  EXPECT_FALSE(parse_settings_file("", current, out, error));
  EXPECT_EQ(error.line, 1);
  // A line too many (one value twice) would shift every value after it.
  EXPECT_FALSE(parse_settings_file(text + "0\r\n", current, out, error));
  EXPECT_EQ(error.kind, SettingsFileError::Kind::goes_on);
  EXPECT_EQ(error.line, kSettingsFileLines + 1);
  EXPECT_TRUE(parse_settings_file(text + "\r\n\r\n", current, out, error)) << "blank lines end it";
}

// A line lost or added before the password puts it where a number belongs:
// the error that names the line never quotes it.
TEST(SettingsFile, AnErrorAtThePasswordsLineNeverShowsIt) {
  DeviceSettings s;
  set_buffer_text(s.password, "454867");
  auto lines = test::crlf_lines(format_settings_file(s));
  for (const int shift : {-1, +1}) {
    auto shifted = lines;
    if (shift < 0) shifted.erase(shifted.begin() + 6565);
    if (shift > 0) shifted.insert(shifted.begin() + 6565, "0");
    std::string text;
    for (const auto& l : shifted) text += l + "\r\n";
    DeviceSettings out;
    SettingsFileError error;
    ASSERT_FALSE(parse_settings_file(text, s, out, error, true)) << shift;
    EXPECT_EQ(error.reason.find("454867"), std::string::npos) << error.reason;
    EXPECT_EQ(error.token.find("454867"), std::string::npos) << error.token;
  }
}

class SettingsFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("orv-settings-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  FilePath at(const std::string& name) const { return FilePath((dir / name).string()); }
  std::filesystem::path dir;
};

// The old file is replaced whole; the temporary file is a new one of its
// own, so a link placed where a temporary file might go is never written
// through; a save that cannot be made says why and leaves nothing behind.
TEST_F(SettingsFileOnDisk, SaveReplacesTheOldFileWholeAndNeverWritesThroughALink) {
  std::string error;
  DeviceSettings s;
  ASSERT_TRUE(save_settings_file(at("b.dat"), s, error));
  std::ofstream(dir / "victim") << "kept";
  std::filesystem::create_symlink(dir / "victim", dir / "b.dat.tmp");
  s.titleOffsetTop = 3;
  ASSERT_TRUE(save_settings_file(at("b.dat"), s, error));
  std::string text;
  ASSERT_EQ(read_whole_file(at("b.dat"), text, error), FileRead::read);
  EXPECT_EQ(text, format_settings_file(s));
  ASSERT_EQ(read_whole_file(at("victim"), text, error), FileRead::read);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3) << "no file left";

  // An endless file (a device) or a huge one is refused once it passes the
  // bound, not read without end.
  SettingsFileError refused;
  EXPECT_FALSE(load_settings_file(FilePath("/dev/zero"), s, refused));
  EXPECT_EQ(refused.kind, SettingsFileError::Kind::too_large);
  EXPECT_EQ(read_whole_file(at("b.dat"), text, error, 100), FileRead::too_large);
  EXPECT_TRUE(text.empty());

  EXPECT_FALSE(save_settings_file(at("gone/b.dat"), s, error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;

  // A folder a backup names is made with every folder above it missing.
  const FilePath deep = FilePath(dir.string() + "/") / "x" / "y";
  EXPECT_EQ(deep.folder().folder(), FilePath(dir.string()));
  ASSERT_TRUE(make_folders(deep, error)) << error;
  EXPECT_TRUE(save_settings_file(deep / "c.dat", s, error)) << error;
  EXPECT_TRUE(file_exists(deep / "c.dat"));
  EXPECT_FALSE(make_folders(at("b.dat") / "z", error)) << "a file stands in the way";
}

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
