#include "random_settings.h"

#include <random>
#include <string>

#include "protocol/title_codec.h"

namespace orv::test {
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
    if (pick(random) == 1 && i + 1 < count) jis = kIdeographicSpaceJis;
    const std::uint16_t sjis = jis_to_sjis(jis);
    text += static_cast<char>(sjis >> 8);
    text += static_cast<char>(sjis & 0xFF);
  }
  return text;
}

}  // namespace

DeviceSettings random_settings(int model, unsigned draw) {
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
}  // namespace orv::test
