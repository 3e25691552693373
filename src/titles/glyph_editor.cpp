#include "titles/glyph_editor.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "protocol/title_codec.h"

namespace orv {

std::vector<std::string> registration_items(GlyphSize size) {
  std::vector<std::string> items;
  for (int n = 1; n <= glyph_size_info(size).registrations; ++n)
    items.push_back(decimal_text(n, 3));
  return items;
}

int clamp_registration(GlyphSize size, int index) {
  const int last = glyph_size_info(size).registrations - 1;
  return index < 0 ? 0 : index > last ? last : index;
}

bool GlyphEditor::pixel(GridCell cell) const {
  return glyph_pixel(bitmap_, size_, cell.row, cell.column);
}

CellBox GlyphEditor::cell_box(GridCell cell) const {
  const int c = cell_pixels();
  const int left = kGridLeft + cell.column * c;
  const int top = kGridTop + cell.row * c;
  return CellBox{left, top, left + c, top + c};
}

std::optional<GridCell> GlyphEditor::cell_at(int x, int y) const {
  const int c = cell_pixels();
  const int u = x - kGridLeft;
  const int v = y - kGridTop;
  if (u <= c || u >= kGridSide - c || v <= c || v >= kGridSide - c) return std::nullopt;
  return GridCell{v / c, u / c};
}

std::optional<GridCell> GlyphEditor::draw(int x, int y) {
  const auto cell = cell_at(x, y);
  if (!cell || pen_ == Pen::none) return std::nullopt;
  const bool on = pen_ == Pen::set;
  if (pixel(*cell) == on) return std::nullopt;
  set_glyph_pixel(bitmap_, size_, cell->row, cell->column, on);
  modified_ = true;
  return cell;
}

std::optional<GridCell> GlyphEditor::press(Pen pen, int x, int y) {
  pen_ = pen;
  return draw(x, y);
}

std::optional<GridCell> GlyphEditor::move(int x, int y) {
  return draw(x, y);
}

void GlyphEditor::release(Pen pen) {
  if (pen_ == pen) pen_ = Pen::none;
}

void GlyphEditor::lift() {
  pen_ = Pen::none;
}

std::string GlyphEditor::file_text() const {
  return format_glyph_file(bitmap_, size_);
}

bool GlyphEditor::load_file_text(std::string_view text) {
  const auto loaded = parse_glyph_file(text, size_);
  if (!loaded) return false;
  bitmap_ = *loaded;
  modified_ = false;
  return true;
}

void GlyphEditor::clear() {
  bitmap_.fill(0);
  modified_ = false;
}

Command GlyphEditor::register_command(int registration) const {
  return build_register_glyph(size_, registration, bitmap_);
}

Command GlyphEditor::read_command(int registration) const {
  return build_read_registered_glyph(size_, registration);
}

Command GlyphEditor::sample_command(std::string_view sample) const {
  return build_read_sample_glyph(size_, sample_glyph_code(sample));
}

}  // namespace orv
