// "外字登録": drawing external characters of one size, keeping them in glyph
// files, registering them in a unit and reading them back.
#pragma once

#include "protocol/glyph_size.h"
#include "win/base/program.h"

namespace orv::win {

void open_glyph_editor(Program& program, GlyphSize size);

}  // namespace orv::win
