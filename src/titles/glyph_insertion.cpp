#include "titles/glyph_insertion.h"

#include <array>

#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "titles/glyph_editor.h"

namespace orv {

GlyphSize glyph_size_of_font(int font_size) {
  return font_size == 1 ? GlyphSize::medium : font_size == 2 ? GlyphSize::small : GlyphSize::large;
}

int title_positions(int font_size) {
  static constexpr std::array<int, 3> kPositions{14, 21, kTitleCharacters};
  return kPositions[static_cast<size_t>(font_size >= 0 && font_size <= 2 ? font_size : 0)];
}

std::vector<std::string> position_items(int font_size) {
  std::vector<std::string> items;
  for (int p = 1; p <= title_positions(font_size); ++p) items.push_back(decimal_text(p, 2));
  return items;
}

void clamp_insertion(GlyphInsertion& insertion) {
  if (insertion.font_size < 0 || insertion.font_size > 2) insertion.font_size = 0;
  insertion.registration =
      clamp_registration(glyph_size_of_font(insertion.font_size), insertion.registration);
  const int last = title_positions(insertion.font_size) - 1;
  if (insertion.position > last) insertion.position = last;
  if (insertion.position < 0) insertion.position = 0;
}

Command insertion_command(const GlyphInsertion& insertion, int channel) {
  return build_insert_glyph(insertion.registration, channel, insertion.position);
}

}  // namespace orv
