#include "text.h"

#include <cstdio>

namespace sim {

std::optional<int> number(std::string_view text, size_t width, int low, int high) {
  if (text.size() != width) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<int> hex_number(std::string_view text, size_t width) {
  if (text.size() != width) return std::nullopt;
  int value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

std::string digits(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

std::string hex_digits(unsigned value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", width, value);
  return buffer;
}

std::string escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\\')
      out += "\\\\";
    else if (c < 0x20 || c >= 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    } else
      out += static_cast<char>(c);
  }
  return out;
}

std::string unescaped(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char kind = text[++i];
    if (kind == 'r') {
      out += '\r';
    } else if (kind == 'n') {
      out += '\n';
    } else if (kind == 'x' && i + 2 < text.size() && hex_number(text.substr(i + 1, 2), 2)) {
      out += static_cast<char>(*hex_number(text.substr(i + 1, 2), 2));
      i += 2;
    } else {
      out += kind;
    }
  }
  return out;
}

}  // namespace sim
