// The glyph file reader, for each size.
#include <cstdint>
#include <string_view>

#include "invariants.h"
#include "titles/glyph_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (GlyphSize glyph : {GlyphSize::small, GlyphSize::medium, GlyphSize::large}) {
    const auto bitmap = parse_glyph_file(text, glyph);
    if (!bitmap) continue;
    const int bytes = glyph_size_info(glyph).bitmap_bytes;
    for (int i = bytes; i < kGlyphBitmapBytes; ++i)
      fuzz::require((*bitmap)[i] == 0, "bytes past the size stay clear");
    fuzz::require(parse_glyph_file(format_glyph_file(*bitmap, glyph), glyph) == bitmap,
                  "a written glyph reads back");
  }
  return 0;
}
