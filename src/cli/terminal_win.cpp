#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "cli/terminal.h"

namespace orv::cli {

bool is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void prepare_terminal() {
  SetConsoleOutputCP(CP_UTF8);
}

namespace {

std::string utf8_of(const wchar_t* wide) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), bytes, nullptr, nullptr);
  out.pop_back();  // the terminating NUL
  return out;
}

}  // namespace

std::vector<std::string> arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(utf8_of(wide[i]));
  LocalFree(wide);
  return args;
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
