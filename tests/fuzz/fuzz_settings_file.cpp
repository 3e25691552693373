// The settings file reader: any text is refused or loads; what loads writes
// back to a file that loads to the same settings.
#include <cstdint>
#include <string_view>

#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  if (size == 0) return 0;
  DeviceSettings current;
  apply_model(current, data[0] & 1);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  DeviceSettings loaded;
  SettingsFileError error;
  if (!parse_settings_file(text, current, loaded, error)) {
    fuzz::require(error.line >= 1 && !error.reason.empty(), "a refusal says where and why");
    return 0;
  }
  for (const auto& title : loaded.titles)
    fuzz::require(fuzz::terminated(title), "title terminated");
  fuzz::require(fuzz::terminated(loaded.password), "password terminated");
  const std::string written = format_settings_file(loaded);
  DeviceSettings again;
  fuzz::require(parse_settings_file(written, current, again, error), "written file loads");
  fuzz::require(format_settings_file(again) == written, "round trip is stable");
  return 0;
}
