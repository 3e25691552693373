#include "titles/glyph_file.h"

#include "protocol/number_text.h"

namespace orv {
namespace {

bool is_blank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view first_token(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && is_blank(text[start])) ++start;
  size_t end = start;
  while (end < text.size() && !is_blank(text[end])) ++end;
  return text.substr(start, end - start);
}

// Byte and mask of a pixel, or false when it lies outside the glyph.
bool locate(GlyphSize size, int row, int column, size_t& byte, std::uint8_t& mask) {
  const int side = glyph_size_info(size).pixels;
  if (row < 0 || column < 0 || row >= side || column >= side) return false;
  const int pixel = row * side + column;
  byte = static_cast<size_t>(pixel / 8);
  mask = static_cast<std::uint8_t>(0x80 >> (pixel % 8));
  return true;
}

}  // namespace

std::string format_glyph_file(std::span<const std::uint8_t> bitmap, GlyphSize size) {
  const size_t bytes = static_cast<size_t>(glyph_size_info(size).bitmap_bytes);
  std::string text(2 * bytes, '0');
  for (size_t i = 0; i < bytes && i < bitmap.size(); ++i)
    format_hex(bitmap[i], &text[2 * i], 2, true);
  return text + "\r\n";
}

std::optional<GlyphBitmap> parse_glyph_file(std::string_view text, GlyphSize size) {
  const size_t bytes = static_cast<size_t>(glyph_size_info(size).bitmap_bytes);
  const std::string_view token = first_token(text);
  if (token.size() < 2 * bytes) return std::nullopt;
  const std::string_view digits = token.substr(0, 2 * bytes);
  if (!is_hex_digits(digits)) return std::nullopt;
  GlyphBitmap bitmap{};
  for (size_t i = 0; i < bytes; ++i)
    bitmap[i] = static_cast<std::uint8_t>(parse_hex(digits.substr(2 * i, 2), 2));
  return bitmap;
}

bool glyph_pixel(std::span<const std::uint8_t> bitmap, GlyphSize size, int row, int column) {
  size_t byte = 0;
  std::uint8_t mask = 0;
  return locate(size, row, column, byte, mask) && byte < bitmap.size() && (bitmap[byte] & mask);
}

void set_glyph_pixel(std::span<std::uint8_t> bitmap, GlyphSize size, int row, int column, bool on) {
  size_t byte = 0;
  std::uint8_t mask = 0;
  if (!locate(size, row, column, byte, mask) || byte >= bitmap.size()) return;
  bitmap[byte] = static_cast<std::uint8_t>(on ? bitmap[byte] | mask : bitmap[byte] & ~mask);
}

}  // namespace orv
