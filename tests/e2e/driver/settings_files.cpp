#include "settings_files.h"

#include <windows.h>

#include <filesystem>
#include <random>

#include "settings_file/settings_file.h"
#include "titles/title_codec.h"

namespace e2e {
namespace {

// A title of up to `characters` double-byte characters from JIS rows 4
// (hiragana) and 16..47 (level 1 kanji), with an inner ideographic space now
// and then but never a trailing one.
std::string random_title(std::mt19937& random, int characters) {
  std::uniform_int_distribution<int> length(0, characters);
  std::uniform_int_distribution<int> row(16, 47);
  std::uniform_int_distribution<int> cell(0x21, 0x73);
  std::uniform_int_distribution<int> pick(0, 9);
  const int count = length(random);
  std::string text;
  for (int i = 0; i < count; ++i) {
    std::uint16_t jis = static_cast<std::uint16_t>((row(random) + 0x20) << 8 | cell(random));
    if (pick(random) == 0) jis = static_cast<std::uint16_t>(0x2400 | cell(random));  // hiragana
    if (pick(random) == 1 && i + 1 < count) jis = orv::kIdeographicSpaceJis;
    const std::uint16_t sjis = orv::jis_to_sjis(jis);
    text += static_cast<char>(sjis >> 8);
    text += static_cast<char>(sjis & 0xFF);
  }
  return text;
}

}  // namespace

std::wstring temp_folder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder = std::filesystem::path(temp) / name;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
  return folder.wstring();
}

orv::DeviceSettings random_settings(int model, unsigned draw) {
  using namespace orv;
  std::mt19937 random(draw);
  const auto any = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  DeviceSettings s;
  apply_model(s, model);
  const int inputs = s.inputCount;
  s.currentScreenPattern = any(0, kFreeLayout);
  for (auto& row : s.screenPatterns)
    for (int& code : row) code = any(0, inputs + kPatternCount - 1);
  for (auto& row : s.autoSwitchPatterns)
    for (int i = 0; i < inputs; ++i) row[i] = any(0, 99);
  s.dateTimeRange = any(0, 7);
  s.dateTimeSize = any(0, 1);
  for (int i = 0; i < inputs; ++i) {
    s.dateTimeDisplayInput[i] = any(0, 1);
    s.titleDisplayInput[i] = any(0, 1);
    s.titlePosition[i] = any(0, 1);
    s.fontSize[i] = any(0, 2);
    static constexpr int kCharactersBySize[] = {14, 21, 28};  // LARGE, MEDIUM, SMALL
    set_title(s.titles[i], random_title(random, kCharactersBySize[s.fontSize[i]]));
  }
  for (int j = 0; j < kOutputCount; ++j) {
    s.dateTimeDisplayOutput[j] = any(0, 1);
    s.titleDisplayOutput[j] = any(0, 1);
    s.videoOutput[j] = any(0, 1);
  }
  s.titleOffsetTop = any(0, 15);
  s.titleOffsetBottom = any(0, 15);
  s.passwordOnButton = any(0, 1);
  s.passwordOnMenu = any(0, 1);
  set_buffer_text(s.password, std::to_string(any(100000, 999999)));
  return s;
}

bool write_settings(const std::wstring& path, const orv::DeviceSettings& settings) {
  std::string error;
  return orv::save_settings_file(path, settings, error);
}

bool read_settings(const std::wstring& path, int model, orv::DeviceSettings& settings) {
  orv::DeviceSettings start;
  orv::apply_model(start, model);
  orv::SettingsFileError error;
  settings = start;
  return orv::load_settings_file(path, settings, error);
}

int first_difference_a_unit_gives_back(const orv::DeviceSettings& sent,
                                       const orv::DeviceSettings& read) {
  orv::DeviceSettings comparable = read;
  comparable.screenPatterns[orv::kFreeLayout] = sent.screenPatterns[orv::kFreeLayout];
  const std::string a = orv::format_settings_file(sent);
  const std::string b = orv::format_settings_file(comparable);
  int line = 1;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) return line;
    if (a[i] == '\n') ++line;
  }
  return a.size() == b.size() ? 0 : line;
}

}  // namespace e2e
