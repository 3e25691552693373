// Text at the platform edge: the core speaks UTF-8 (messages) and Shift_JIS
// (titles, files, wire); the windows speak UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace orv::win {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);  // to UTF-8
std::wstring from_shift_jis(std::string_view bytes);
std::string to_shift_jis(std::wstring_view text);

}  // namespace orv::win
