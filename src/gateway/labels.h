// Titles between the Shift_JIS the units hold and the UTF-8 that Videohub
// and HTTP clients speak, as code page 932 has them: an external character
// (registration n, 1..256) is U+E000 + n - 1. A label a client sets takes
// its half-width letters, digits and blanks as their full-width forms.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orv::gateway {

// The platform half: code page 932 both ways; nothing when a character has
// no code on the other side.
std::optional<std::string> utf8_from_sjis(std::string_view sjis);
std::optional<std::string> sjis_from_utf8(std::string_view utf8);

// A unit's title as a label: UTF-8, trailing blanks (ideographic ones too)
// trimmed.
std::string label_of_title(std::string_view sjis);

// A label as a title the unit takes (Shift_JIS), or why not: the first
// character that cannot be sent, or a label longer than 28 characters.
struct TitleOfLabel {
  std::optional<std::string> sjis;
  std::string refused;  // "the character 'é' cannot be sent", "longer than 28 characters"
};
TitleOfLabel title_of_label(std::string_view utf8);

}  // namespace orv::gateway
