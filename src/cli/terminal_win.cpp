#include <windows.h>

#include <io.h>

#include <cstdio>

#include "cli/terminal.h"

namespace orv::cli {

bool is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void prepare_terminal() {
  SetConsoleOutputCP(CP_UTF8);
}

std::string terminal_text(std::string_view shift_jis) {
  if (shift_jis.empty()) return {};
  const int size = static_cast<int>(shift_jis.size());
  std::wstring wide(shift_jis.size(), L'\0');
  wide.resize(
      static_cast<size_t>(MultiByteToWideChar(932, 0, shift_jis.data(), size, wide.data(), size)));
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), bytes,
                      nullptr, nullptr);
  return out;
}

}  // namespace orv::cli
