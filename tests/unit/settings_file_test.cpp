#include "settings_file/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "test_support.h"

namespace orv {
namespace {

using test::sjis;

int count_lines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

DeviceSettings settings_for(int model) {
  DeviceSettings s;
  apply_model(s, model);
  return s;
}

DeviceSettings read_back(const std::string& text, int model) {
  DeviceSettings out;
  SettingsFileError error;
  EXPECT_TRUE(parse_settings_file(text, settings_for(model), out, error)) << error.reason;
  return out;
}

TEST(SettingsFile, DefaultsWriteSixThousandSixHundredFifteenLines) {
  const std::string text = format_settings_file(DeviceSettings{});
  EXPECT_EQ(count_lines(text), kSettingsFileLines);
  const auto lines = lines_of(text);
  EXPECT_EQ(lines[0], "0");
  EXPECT_EQ(lines[1], "0");     // pattern 01, output 1
  EXPECT_EQ(lines[32], "31");   // pattern 01, output 32
  EXPECT_EQ(lines[2081], "3");  // first dwell time
  EXPECT_EQ(lines[6177], "0");  // date/time range
  EXPECT_EQ(lines[6275], title_text(DeviceSettings{}.titles[0]));
  EXPECT_EQ(lines[6567], "482915");
  EXPECT_EQ(lines[6568], "1");  // video output ch.01
  EXPECT_EQ(lines[6600], "2");  // subnet class C
  EXPECT_EQ(lines[6614], "0");  // connection try
}

TEST(SettingsFile, RoundTripsBothModels) {
  for (int model : {kModelOrvellan, kModelTarquine}) {
    DeviceSettings s = settings_for(model);
    s.currentScreenPattern = kFreeLayout;
    s.screenPatterns[5][6] = s.inputCount + 4;  // switching pattern 05
    s.screenPatterns[kFreeLayout][0] = s.inputCount - 1;
    s.autoSwitchPatterns[63][63] = 99;
    s.dateTimeRange = 7;
    s.fontSize[63] = 2;
    s.titleOffsetBottom = 15;
    s.passwordOnMenu = 1;
    set_buffer_text(s.password, "000123");
    s.videoOutput[31] = 0;
    s.converterIpAddress = {10, 1, 2, 3};
    s.converterConnectionTry = 1;
    set_title(s.titles[9], sjis({0x82, 0x62, 0x82, 0x67, 0x81, 0x40, 0x82, 0x50}));
    set_title(s.titles[10], "");
    const DeviceSettings back = read_back(format_settings_file(s), model);
    EXPECT_EQ(back.currentScreenPattern, kFreeLayout);
    EXPECT_EQ(back.screenPatterns, s.screenPatterns);
    EXPECT_EQ(back.autoSwitchPatterns, s.autoSwitchPatterns);
    EXPECT_EQ(back.dateTimeRange, 7);
    EXPECT_EQ(back.fontSize, s.fontSize);
    EXPECT_EQ(back.titleOffsetBottom, 15);
    EXPECT_EQ(back.passwordOnMenu, 1);
    EXPECT_EQ(buffer_text(back.password), "000123");
    EXPECT_EQ(back.videoOutput, s.videoOutput);
    EXPECT_EQ(back.converterIpAddress, (Octets{10, 1, 2, 3}));
    EXPECT_EQ(back.converterConnectionTry, 1);
    EXPECT_EQ(back.titles, s.titles);
  }
}

TEST(SettingsFile, SwitchingPatternCodesAreWrittenAsForSixtyFourInputs) {
  DeviceSettings s = settings_for(kModelOrvellan);
  s.screenPatterns[0][0] = 32;  // SP01
  const auto lines = lines_of(format_settings_file(s));
  EXPECT_EQ(lines[1], "64");
  EXPECT_EQ(read_back(format_settings_file(s), kModelOrvellan).screenPatterns[0][0], 32);
}

TEST(SettingsFile, TarquineFileFoldsOntoOrvellan) {
  DeviceSettings s = settings_for(kModelTarquine);
  s.screenPatterns[0][0] = 39;  // input 40
  s.screenPatterns[0][1] = 68;  // SP05
  const DeviceSettings back = read_back(format_settings_file(s), kModelOrvellan);
  EXPECT_EQ(back.screenPatterns[0][0], 7);   // input 8
  EXPECT_EQ(back.screenPatterns[0][1], 36);  // SP05 with 32 inputs
}

TEST(SettingsFile, TitlesUseTheFullWidthAsteriskForSpaces) {
  DeviceSettings s;
  const std::string title = sjis({0x82, 0x62, 0x82, 0x67, 0x81, 0x40, 0x82, 0x50});  // ＣＨ　１
  set_title(s.titles[0], title);
  set_title(s.titles[1], test::repeat("\x81\x40", 28));
  set_title(s.titles[2], "");
  const auto lines = lines_of(format_settings_file(s));
  EXPECT_EQ(lines[6275], sjis({0x82, 0x62, 0x82, 0x67, 0x81, 0x96, 0x82, 0x50}));
  EXPECT_EQ(lines[6276], test::repeat("\x81\x96", 28));
  EXPECT_EQ(lines[6277], test::repeat("\x81\x96", 28));
  const DeviceSettings back = read_back(format_settings_file(s), kModelOrvellan);
  EXPECT_EQ(title_text(back.titles[0]), title);
  EXPECT_EQ(title_text(back.titles[1]), "");
  EXPECT_EQ(title_text(back.titles[2]), "");
}

TEST(SettingsFile, TitlesWithBlanksKeepTheLinesAfterThemInPlace) {
  DeviceSettings s;
  set_title(s.titles[0], "A B");  // single-byte and a blank: cannot be sent, must not shift lines
  s.titleDisplayInput[0] = 0;
  const DeviceSettings back = read_back(format_settings_file(s), kModelOrvellan);
  EXPECT_EQ(title_text(back.titles[0]), "A_B");
  EXPECT_EQ(back.titleDisplayInput[0], 0);
  EXPECT_EQ(back.titleDisplayInput[1], 1);
}

TEST(SettingsFile, EmptyPasswordsAndPasswordsWithBlanksKeepTheLinesAfterThem) {
  for (const char* password : {"", "12 456"}) {
    DeviceSettings s;
    set_buffer_text(s.password, password);
    s.videoOutput[0] = 0;
    const std::string text = format_settings_file(s);
    EXPECT_EQ(lines_of(text)[6567], "-") << password;
    const DeviceSettings back = read_back(text, kModelOrvellan);
    EXPECT_EQ(buffer_text(back.password), "");
    EXPECT_EQ(back.videoOutput[0], 0);
    EXPECT_EQ(back.converterConnectionTry, 0);
  }
}

TEST(SettingsFile, OverlongTokensAreCut) {
  std::string text = format_settings_file(DeviceSettings{});
  auto lines = lines_of(text);
  lines[6275] = test::repeat("\x82\xa0", 40);
  lines[6567] = "12345678901234";
  std::string joined;
  for (const auto& l : lines) joined += l + "\r\n";
  const DeviceSettings back = read_back(joined, kModelOrvellan);
  EXPECT_EQ(title_text(back.titles[0]), test::repeat("\x82\xa0", 28));
  EXPECT_EQ(buffer_text(back.password), "123456");
}

TEST(SettingsFile, OutOfRangeValuesAreTakenAsRead) {
  std::string text = format_settings_file(DeviceSettings{});
  auto lines = lines_of(text);
  lines[6177] = "9";
  lines[6178] = "-4";
  std::string joined;
  for (const auto& l : lines) joined += l + "\n";  // LF alone reads as well
  const DeviceSettings back = read_back(joined, kModelOrvellan);
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

  auto lines = lines_of(text);
  lines[99] = "3x";
  std::string joined;
  for (const auto& l : lines) joined += l + "\r\n";
  EXPECT_FALSE(parse_settings_file(joined, current, out, error));
  EXPECT_EQ(error.line, 100);
  EXPECT_NE(error.reason.find("3x"), std::string::npos);

  lines[99] = "99999999999";
  joined.clear();
  for (const auto& l : lines) joined += l + "\r\n";
  EXPECT_FALSE(parse_settings_file(joined, current, out, error));
  EXPECT_EQ(out.dateTimeRange, 5);

  EXPECT_FALSE(parse_settings_file("", current, out, error));
  EXPECT_EQ(error.line, 1);
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
  std::filesystem::path dir;
};

TEST_F(SettingsFileOnDisk, LoadReplacesTheSettingsOnlyWhenTheFileIsWhole) {
  DeviceSettings s;
  s.fontSize[0] = 2;
  std::string error;
  ASSERT_TRUE(save_settings_file(dir / "a.dat", s, error)) << error;

  DeviceSettings target;
  target.settingsDirty = 1;
  SettingsFileError load_error;
  ASSERT_TRUE(load_settings_file(dir / "a.dat", target, load_error));
  EXPECT_EQ(target.fontSize[0], 2);
  EXPECT_EQ(target.settingsDirty, 0);
  EXPECT_EQ(target.settingsFilePath, dir / "a.dat");

  std::ofstream(dir / "short.dat") << "0\n1\n2\n";
  target.fontSize[0] = 0;
  EXPECT_FALSE(load_settings_file(dir / "short.dat", target, load_error));
  EXPECT_EQ(target.fontSize[0], 0);
  EXPECT_EQ(target.settingsFilePath, dir / "a.dat");
  EXPECT_FALSE(load_settings_file(dir / "missing.dat", target, load_error));
}

TEST_F(SettingsFileOnDisk, SaveReplacesTheOldFileWholeAndLeavesNoTemporary) {
  std::string error;
  DeviceSettings s;
  ASSERT_TRUE(save_settings_file(dir / "b.dat", s, error));
  s.titleOffsetTop = 3;
  ASSERT_TRUE(save_settings_file(dir / "b.dat", s, error));
  std::string text;
  ASSERT_TRUE(read_whole_file(dir / "b.dat", text, error));
  EXPECT_EQ(text, format_settings_file(s));
  EXPECT_FALSE(std::filesystem::exists(dir / "b.dat.tmp"));
}

TEST_F(SettingsFileOnDisk, FailedSaveLeavesTheOldFileAsItWas) {
  std::string error;
  DeviceSettings s;
  ASSERT_TRUE(save_settings_file(dir / "c.dat", s, error));
  // A directory where the temporary file would go makes the write fail.
  std::filesystem::create_directory(dir / "c.dat.tmp");
  s.titleOffsetTop = 3;
  EXPECT_FALSE(save_settings_file(dir / "c.dat", s, error));
  EXPECT_FALSE(error.empty());
  std::string text;
  ASSERT_TRUE(read_whole_file(dir / "c.dat", text, error));
  EXPECT_EQ(text, format_settings_file(DeviceSettings{}));
}

}  // namespace
}  // namespace orv
