// Text at the platform edge: the core speaks UTF-8 (messages) and Shift_JIS
// (titles, files, wire); the windows speak UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings_file/file_system.h"

namespace orv::win {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);  // to UTF-8
// A path the windows show or a file dialog chose, and back.
FilePath path_of(std::wstring_view text);
std::wstring widen(const FilePath& path);
std::wstring from_shift_jis(std::string_view bytes);
std::string to_shift_jis(std::wstring_view text);
// The Shift_JIS bytes of `text`, or nothing when a character has no
// Shift_JIS code (it would otherwise become "?").
std::optional<std::string> to_shift_jis_exactly(std::wstring_view text);

}  // namespace orv::win
