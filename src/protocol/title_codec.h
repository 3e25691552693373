// Title text conversion between the Shift_JIS the program keeps and the JIS
// X 0208 codes the unit works with.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/device_settings.h"

namespace orv {

using PaddedTitle = std::array<char, kTitleBytes>;
using TitleCodes = std::array<std::uint16_t, kTitleCharacters>;

inline constexpr std::uint16_t kIdeographicSpaceJis = 0x2121;

// Why a title cannot be sent: a character outside JIS X 0208 levels 1 and 2.
inline constexpr std::string_view kUnsendableTitle =
    "ＪＩＳ第１水準,第２水準以外の字が選択されてます";

// A title of at most 56 bytes and an even byte count, padded to 56 bytes
// with ideographic spaces; nullopt for any other title.
std::optional<PaddedTitle> pad_title(std::string_view title);

// The 28 codes the unit holds for a padded title, or nullopt when a
// character is outside JIS X 0208 (single-byte characters, the IBM-block
// characters that have no JIS code) and is no registered external
// character. An external character is held as its registration's glyph
// code, above 7E7E (see registration_of_external).
std::optional<TitleCodes> encode_title(const PaddedTitle& padded);

// A title as the unit holds it: pad_title, then encode_title; nullopt when
// it cannot be sent.
std::optional<TitleCodes> title_codes(std::string_view title);

// External characters. Registration index n (0..255, shown as 001..256) is
// kept in a title as the n-th character of Shift_JIS's user-defined area,
// in Shift_JIS order: lead byte F0 + n / 188, trail byte 40 + n % 188 (7F
// skipped). The unit holds it as the registration's glyph code; a title
// command carries the ideographic space in its place, and the glyph goes in
// by the insert command.
std::uint16_t external_character(int registration);
std::optional<int> registration_of_external(std::uint16_t sjis);
std::optional<int> registration_of_glyph_code(std::uint16_t jis);

// IBM-extension Shift_JIS code -> the NEC-selected code of the same
// character, or 0 when there is none.
std::uint16_t map_ibm_extension(std::uint16_t sjis);

// Plain Shift_JIS -> JIS X 0208 arithmetic; nullopt when `sjis` is not a
// double-byte code inside rows 1..94.
std::optional<std::uint16_t> sjis_to_jis(std::uint16_t sjis);

// A title character as the unit is sent it: the small Roman numerals and the
// IBM block go through their own rules first.
std::optional<std::uint16_t> title_char_to_jis(std::uint16_t sjis);

// JIS X 0208 -> Shift_JIS by the standard arithmetic. Codes whose bytes lie
// outside 0x21..0x7E give 0.
std::uint16_t jis_to_sjis(std::uint16_t jis);

// The JIS code a sample-glyph read asks for: the Shift_JIS character in the
// sample box, or the ideographic space when it does not convert.
std::uint16_t sample_glyph_code(std::string_view sample);

}  // namespace orv
