// The external character insertion dialog without windows: the channel, the
// font size (which decides the registration numbers and the positions a
// title of that size has), the registration number and the position.
#pragma once

#include <string>
#include <vector>

#include "protocol/command.h"
#include "protocol/glyph_size.h"

namespace orv {

// What the dialog keeps between openings.
struct GlyphInsertion {
  int font_size = 0;     // 0 LARGE, 1 MEDIUM, 2 SMALL
  int registration = 0;  // shared with the glyph editor
  int position = 0;      // 0-based character of the title
};

// The glyph size of a title font size: the unit draws a LARGE title with
// LARGE glyphs, and so on.
GlyphSize glyph_size_of_font(int font_size);
// 14, 21 or 28: the characters a title of that size shows.
int title_positions(int font_size);
std::vector<std::string> position_items(int font_size);  // "01".."14" ...

// Keeps the registration number and the position within the font size's
// ranges (on opening and on every change of the size).
void clamp_insertion(GlyphInsertion& insertion);

Command insertion_command(const GlyphInsertion& insertion, int channel);

}  // namespace orv
