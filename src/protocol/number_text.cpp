#include "protocol/number_text.h"

#include <cassert>

namespace orv {
namespace {

long long power_of(int base, int exponent) {
  long long result = 1;
  for (int i = 0; i < exponent; ++i) result *= base;
  return result;
}

int write_digits(long long value, char* out, int width, int base, const char* digits) {
  if (width <= 0 || width > 12 || value < 0 || value >= power_of(base, width)) return 0;
  for (int i = width - 1; i >= 0; --i) {
    out[i] = digits[value % base];
    value /= base;
  }
  return width;
}

}  // namespace

int format_decimal(long long value, char* out, int width) {
  return write_digits(value, out, width, 10, "0123456789");
}

int format_hex(long long value, char* out, int width, bool upper) {
  return write_digits(value, out, width, 16, upper ? "0123456789ABCDEF" : "0123456789abcdef");
}

int parse_decimal(std::string_view text, int width) {
  int value = 0;
  for (int i = 0; i < width; ++i) {
    const char c = i < static_cast<int>(text.size()) ? text[i] : '0';
    value = value * 10 + (static_cast<unsigned char>(c) - '0');
  }
  return value;
}

int parse_hex(std::string_view text, int width) {
  int value = 0;
  for (int i = 0; i < width; ++i) {
    const int c = i < static_cast<int>(text.size()) ? static_cast<unsigned char>(text[i]) : '0';
    int digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    value = value * 16 + digit;
  }
  return value;
}

bool is_decimal_digits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

bool is_hex_digits(std::string_view text) {
  for (char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

std::string decimal_text(int value, int width) {
  std::string text(static_cast<size_t>(width), '0');
  const int written = format_decimal(value, text.data(), width);
  assert(written == width);
  (void)written;
  return text;
}

}  // namespace orv
