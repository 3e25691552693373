#include "protocol/device_settings.h"

#include <algorithm>
#include <string>

namespace orv {
namespace {

// "お買い上げいただきありがとうございます。" in Shift_JIS.
constexpr std::string_view kFirstTitle =
    "\x82\xa8\x94\x83\x82\xa2\x8f\xe3\x82\xb0\x82\xa2\x82\xbd\x82\xbe\x82\xab\x82\xa0"
    "\x82\xe8\x82\xaa\x82\xc6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb7\x81\x42";
// "　　　　　ＣＨ００": five ideographic spaces, ＣＨ and two full-width zeros.
constexpr std::string_view kChannelTitleTemplate =
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4f\x82\x4f";
constexpr size_t kTensDigitTrail = 15;  // trail byte of the first full-width zero
constexpr size_t kUnitsDigitTrail = 17;

void set_identity_patterns(DeviceSettings& s) {
  for (auto& row : s.screenPatterns)
    for (int j = 0; j < kOutputCount; ++j) row[j] = j;
}

void set_default_dwell_times(DeviceSettings& s) {
  for (auto& row : s.autoSwitchPatterns) row.fill(3);
}

void set_default_titles(DeviceSettings& s) {
  for (int i = 0; i < kMaxInputs; ++i) s.titles[i] = default_title(i);
}

}  // namespace

int input_count_of(int model) {
  return model == kModelOrvellan ? 32 : 64;
}

TitleSlot default_title(int channel_index) {
  TitleSlot slot{};
  if (channel_index == 0) {
    set_title(slot, kFirstTitle);
    return slot;
  }
  std::string text(kChannelTitleTemplate);
  const int number = channel_index + 1;
  text[kTensDigitTrail] = static_cast<char>(text[kTensDigitTrail] + number / 10);
  text[kUnitsDigitTrail] = static_cast<char>(text[kUnitsDigitTrail] + number % 10);
  set_title(slot, text);
  return slot;
}

std::string_view title_text(const TitleSlot& slot) {
  return buffer_text(slot);
}

void set_title(TitleSlot& slot, std::string_view shift_jis) {
  slot.fill('\0');
  const size_t length = std::min<size_t>(shift_jis.size(), kTitleBytes);
  std::copy_n(shift_jis.begin(), length, slot.begin());
}

DeviceSettings::DeviceSettings() {
  reset_to_defaults(*this);
  set_buffer_text(converterPortNumber, "09004");
  set_buffer_text(converterVersion, "0.00");
}

void reset_to_defaults(DeviceSettings& s) {
  set_identity_patterns(s);
  set_default_dwell_times(s);
  s.dateTimeRange = 0;
  s.dateTimeSize = 0;
  s.dateTimeDisplayInput.fill(1);
  s.dateTimeDisplayOutput.fill(1);
  set_default_titles(s);
  s.titleDisplayInput.fill(1);
  s.titleDisplayOutput.fill(1);
  s.titlePosition.fill(0);
  s.fontSize.fill(1);
  s.titleOffsetTop = 7;
  s.titleOffsetBottom = 7;
  s.passwordOnButton = 0;
  s.passwordOnMenu = 0;
  set_buffer_text(s.password, "482915");
  s.videoOutput.fill(1);
}

DeviceSettings settings_for_model(int model) {
  DeviceSettings settings;
  apply_model(settings, model);
  return settings;
}

void apply_model(DeviceSettings& s, int model) {
  const int shift = model == kModelOrvellan ? -32 : 32;
  for (auto& row : s.screenPatterns)
    for (int& code : row)
      if (code >= 32) code += shift;
  s.model = model == kModelOrvellan ? kModelOrvellan : kModelTarquine;
  s.inputCount = input_count_of(s.model);
}

}  // namespace orv
