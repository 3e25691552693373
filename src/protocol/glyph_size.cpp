#include "protocol/glyph_size.h"

namespace orv {

const GlyphSizeInfo& glyph_size_info(GlyphSize size) {
  static const GlyphSizeInfo kLarge{'L', 48, 10, 288, 70, "txl"};
  static const GlyphSizeInfo kMedium{'M', 32, 15, 128, 160, "txm"};
  static const GlyphSizeInfo kSmall{'S', 24, 20, 72, 256, "txs"};
  switch (size) {
    case GlyphSize::large:
      return kLarge;
    case GlyphSize::medium:
      return kMedium;
    case GlyphSize::small:
      break;
  }
  return kSmall;
}

std::optional<GlyphSize> glyph_size_from_letter(char letter) {
  switch (letter) {
    case 'L':
      return GlyphSize::large;
    case 'M':
      return GlyphSize::medium;
    case 'S':
      return GlyphSize::small;
    default:
      return std::nullopt;
  }
}

std::uint16_t registration_glyph_code(int index) {
  const int k = index + 68;
  return static_cast<std::uint16_t>((0xA3 + k / 94) * 256 + 0x21 + k % 94);
}

}  // namespace orv
