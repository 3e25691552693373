// The three external-character sizes and what each one fixes.
#pragma once

#include <cstdint>
#include <optional>

namespace orv {

enum class GlyphSize { large, medium, small };

struct GlyphSizeInfo {
  char letter;            // size letter in commands and replies
  int pixels;             // pixels per side
  int cell_pixels;        // cell size in the editor grid
  int bitmap_bytes;       // 288, 128 or 72
  int registrations;      // registration numbers 001..registrations
  const char* extension;  // glyph file extension
};

const GlyphSizeInfo& glyph_size_info(GlyphSize size);
std::optional<GlyphSize> glyph_size_from_letter(char letter);

// Registration numbers 001..256: the most a size has (SMALL).
inline constexpr int kGlyphRegistrations = 256;

// The glyph code the unit gives registration index `index` (0-based):
// with k = index + 68, (0xA3 + k / 94) * 256 + 0x21 + k % 94.
std::uint16_t registration_glyph_code(int index);

}  // namespace orv
