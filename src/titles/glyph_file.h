// Glyph files (*.txs, *.txm, *.txl): one line of upper-case hexadecimal
// digits, two per bitmap byte, and nothing else.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/device_settings.h"
#include "protocol/glyph_size.h"

namespace orv {

using GlyphBitmap = std::array<std::uint8_t, kGlyphBitmapBytes>;

// The file text for the size's bitmap bytes, with the line end the program
// has always written (CR LF).
std::string format_glyph_file(std::span<const std::uint8_t> bitmap, GlyphSize size);

// The bitmap of a glyph file: the first white-space separated token, its
// first 144, 256 or 576 digits. A token that is shorter or holds anything
// but hexadecimal digits is refused (nullopt). Bytes past the size's count
// are zero.
std::optional<GlyphBitmap> parse_glyph_file(std::string_view text, GlyphSize size);

// Pixel access in the bitmap layout: rows from the top, 8 pixels a byte,
// leftmost pixel in the most significant bit.
bool glyph_pixel(std::span<const std::uint8_t> bitmap, GlyphSize size, int row, int column);
void set_glyph_pixel(std::span<std::uint8_t> bitmap, GlyphSize size, int row, int column, bool on);

}  // namespace orv
