// The one record of every unit setting the program knows: what was last
// edited, loaded from a settings file or read from a unit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

inline constexpr int kModelOrvellan = 0;
inline constexpr int kModelTarquine = 1;
inline constexpr int kOutputCount = 32;
inline constexpr int kMaxInputs = 64;
inline constexpr int kPatternCount = 64;     // screen display and automatic switching patterns
inline constexpr int kFreeLayout = 64;       // index of the layout FREE ("FR" on the wire)
inline constexpr int kLayoutCount = 65;      // 64 patterns and FREE
inline constexpr int kTitleCharacters = 28;  // double-byte characters of a title
inline constexpr int kTitleBytes = 2 * kTitleCharacters;
inline constexpr int kTitleSlotBytes = 58;
inline constexpr int kPasswordBytes = 8;
inline constexpr int kGlyphBitmapBytes = 288;

using TitleSlot = std::array<char, kTitleSlotBytes>;
using Octets = std::array<int, 4>;
using LayoutRow = std::array<int, kOutputCount>;
using DwellRow = std::array<int, kMaxInputs>;

int input_count_of(int model);

struct DeviceSettings {
  DeviceSettings();  // the start-up values

  int model = kModelOrvellan;
  int inputCount = 32;

  // Screen display patterns: rows 0..63 are OP01..OP64, row 64 is FREE; each
  // entry is a source code (see source_code.h).
  int currentScreenPattern = 0;
  std::array<LayoutRow, kLayoutCount> screenPatterns{};

  // Automatic switching patterns: dwell seconds 0..99 per input channel.
  std::array<DwellRow, kPatternCount> autoSwitchPatterns{};

  int dateTimeRange = 0;  // 0..7, wire digit 1..8
  int dateTimeSize = 0;   // 0 normal, 1 small
  std::array<int, kMaxInputs> dateTimeDisplayInput{};
  std::array<int, kOutputCount> dateTimeDisplayOutput{};

  std::array<TitleSlot, kMaxInputs> titles{};  // Shift_JIS, zero-terminated
  std::array<int, kMaxInputs> titleDisplayInput{};
  std::array<int, kOutputCount> titleDisplayOutput{};
  std::array<int, kMaxInputs> titlePosition{};  // 0 bottom, 1 top
  std::array<int, kMaxInputs> fontSize{};       // 0 large, 1 medium, 2 small
  int titleOffsetTop = 7;                       // 0..15, sent as 01..16
  int titleOffsetBottom = 7;

  int passwordOnButton = 0;
  int passwordOnMenu = 0;
  std::array<char, kPasswordBytes> password{};  // up to 6 characters, zero-terminated

  std::array<int, kOutputCount> videoOutput{};

  // LAN converter (TREVALIX).
  int converterSubnetClass = 2;  // 0 A, 1 B, 2 C
  Octets converterIpAddress{192, 168, 1, 3};
  Octets converterGatewayAddress{192, 168, 1, 2};
  Octets converterActiveAddress{192, 168, 1, 4};
  int converterKeepAlive = 0;
  int converterConnectionTry = 0;
  int converterTimeRegister = 5;  // 0..5 for 10..60
  std::array<char, 6> converterPortNumber{};
  std::array<char, 18> converterMacAddress{};
  std::array<char, 5> converterVersion{};

  int settingsDirty = 0;
  std::string settingsFilePath;  // UTF-8; empty until the set is opened or saved

  std::array<std::uint8_t, kGlyphBitmapBytes> glyphBitmap{};
};

// Sets every field that a new settings set starts with, in the order the
// File New command has always used; leaves the model, the pattern in force,
// the converter fields and the glyph bitmap alone.
void reset_to_defaults(DeviceSettings& settings);

// Switches between ORVELLAN (0) and TARQUINE (1): re-encodes the screen
// pattern entries so that switching-pattern entries keep their number, then
// sets model and inputCount.
void apply_model(DeviceSettings& settings, int model);
// The start-up settings of a model.
DeviceSettings settings_for_model(int model);

// Title texts: the bytes up to the terminator, and storing bytes (cut to 56).
std::string_view title_text(const TitleSlot& slot);
void set_title(TitleSlot& slot, std::string_view shift_jis);
TitleSlot default_title(int channel_index);

// Zero-terminated fixed buffers as text.
template <size_t N>
std::string_view buffer_text(const std::array<char, N>& buffer) {
  size_t length = 0;
  while (length < N && buffer[length] != '\0') ++length;
  return std::string_view(buffer.data(), length);
}

template <size_t N>
void set_buffer_text(std::array<char, N>& buffer, std::string_view text) {
  buffer.fill('\0');
  const size_t length = text.size() < N - 1 ? text.size() : N - 1;
  for (size_t i = 0; i < length; ++i) buffer[i] = text[i];
}

}  // namespace orv
