// The external character editor without windows: the glyph of one size on
// its enlarged grid, drawing with the mouse, the glyph file, and the
// register, read and sample commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/command.h"
#include "protocol/device_settings.h"
#include "protocol/glyph_size.h"
#include "titles/glyph_file.h"

namespace orv {

// The grid: a square of 480 pixels at (10, 10), 24, 32 or 48 cells a side.
inline constexpr int kGridLeft = 10, kGridTop = 10, kGridSide = 480;

struct GridCell {
  int row;
  int column;
  bool operator==(const GridCell&) const = default;
};

struct CellBox {
  int left, top, right, bottom;  // client pixels, right and bottom excluded
};

// "001" up to the size's last registration number.
std::vector<std::string> registration_items(GlyphSize size);
// The index kept between dialogs, within the size's numbers.
int clamp_registration(GlyphSize size, int index);

class GlyphEditor {
 public:
  enum class Pen { none, set, clear };

  GlyphEditor(GlyphSize size, GlyphBitmap& bitmap) : size_(size), bitmap_(bitmap) {}

  GlyphSize size() const { return size_; }
  int cells() const { return glyph_size_info(size_).pixels; }
  int cell_pixels() const { return glyph_size_info(size_).cell_pixels; }
  bool modified() const { return modified_; }
  bool pixel(GridCell cell) const;
  CellBox cell_box(GridCell cell) const;

  // The mouse. A button down chooses the pen (left sets, right clears) and
  // draws where it is; moving draws while a pen is down; releasing a button
  // lifts its pen. Each returns the cell it changed, if any. The outermost
  // ring of cells cannot be drawn on.
  std::optional<GridCell> press(Pen pen, int x, int y);
  std::optional<GridCell> move(int x, int y);
  void release(Pen pen);
  void lift();  // the mouse was taken away (capture lost)
  Pen pen() const { return pen_; }

  // The glyph file of this size; a damaged text is refused whole (false)
  // and the glyph stays as it was.
  std::string file_text() const;
  bool load_file_text(std::string_view text);
  void mark_saved() { modified_ = false; }
  void clear();  // New, and closing the editor: an empty grid

  Command register_command(int registration) const;
  Command read_command(int registration) const;
  // The unit's own glyph of the sample character (Shift_JIS, two bytes).
  Command sample_command(std::string_view sample) const;

 private:
  std::optional<GridCell> cell_at(int x, int y) const;
  std::optional<GridCell> draw(int x, int y);

  GlyphSize size_;
  GlyphBitmap& bitmap_;
  Pen pen_ = Pen::none;
  bool modified_ = false;
};

}  // namespace orv
