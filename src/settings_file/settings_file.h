// The settings file (*.dat): one complete set of settings as 6,615 lines of
// text, one value per line, in a fixed order with no header.
#pragma once

#include <string>
#include <string_view>

#include "protocol/device_settings.h"
#include "settings_file/file_system.h"

namespace orv {

inline constexpr int kSettingsFileLines = 6615;

// The whole file text; lines end in CR LF as the program has always written
// them. Source codes are written as if the unit had 64 inputs; titles with
// every ideographic space as "＊" so that no title contains a blank.
std::string format_settings_file(const DeviceSettings& settings);

struct SettingsFileError {
  enum class Kind { unreadable, too_large, ends_early, not_a_number, goes_on, out_of_range };
  Kind kind = Kind::unreadable;
  int line = 0;        // 1-based line (token) where the file is damaged
  std::string token;   // not_a_number, out_of_range: the first 20 bytes of the word found
  std::string reason;  // the whole reason, in English (for the command-line tool)
};

// Reads the 24 groups into a copy of `current` (fields the file does not
// hold keep their values). Values are taken as read, without range checks;
// a file that ends early, holds something that is not a number where a
// number belongs, or goes on after its last value (a line too many shifts
// every value after it) is refused as a whole and `error` says where. With
// `check_ranges`, so is a value the unit does not take (999 for a source).
bool parse_settings_file(std::string_view text, const DeviceSettings& current,
                         DeviceSettings& result, SettingsFileError& error,
                         bool check_ranges = false);

// The screen pattern entries of a file that show TARQUINE's inputs 33 to 64:
// read as ORVELLAN, each becomes input 1 to 32 (input 50 shows as 18).
// 0 for a file that is not whole.
int inputs_beyond_orvellan(std::string_view text);

// The title of one file line: "＊" back to ideographic spaces, 28 of them
// meaning no title. Longer tokens keep their first 56 bytes.
TitleSlot decode_file_title(std::string_view token);
std::string encode_file_title(const TitleSlot& title);

// Loads `path` into `settings` only when the whole file is sound; clears
// settingsDirty and remembers the path on success.
bool load_settings_file(const FilePath& path, DeviceSettings& settings, SettingsFileError& error);

// Writes to a new temporary file of its own beside `path` (made exclusively,
// never through a link placed there) and then replaces `path` with it, so
// that a failure leaves the old file as it was.
bool save_settings_file(const FilePath& path, const DeviceSettings& settings, std::string& error);

// Whether a file can be written beside `path` (a new temporary file is made
// there and removed again); the reason when not.
bool can_write_beside(const FilePath& path, std::string& error);

// The same safe replacement for the glyph and title files.
bool write_file_replacing(const FilePath& path, std::string_view text, std::string& error);

}  // namespace orv
