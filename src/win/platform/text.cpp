#include "win/platform/text.h"

#include <windows.h>

namespace orv::win {
namespace {

constexpr UINT kShiftJis = 932;

std::wstring to_wide(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), size, text.data(), length);
  return text;
}

std::string from_wide(UINT code_page, std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(code_page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::optional<std::string> to_shift_jis_exactly(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  BOOL defaulted = FALSE;
  const int length = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                         nullptr, 0, nullptr, &defaulted);
  if (length <= 0 || defaulted) return std::nullopt;
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text.data(), size, bytes.data(), length,
                      nullptr, nullptr);
  return bytes;
}

std::wstring widen(std::string_view utf8) {
  return to_wide(CP_UTF8, utf8);
}
std::string narrow(std::wstring_view text) {
  return from_wide(CP_UTF8, text);
}
FilePath path_of(std::wstring_view text) {
  return FilePath(narrow(text));
}

std::wstring widen(const FilePath& path) {
  return widen(path.text());
}

std::wstring from_shift_jis(std::string_view bytes) {
  return to_wide(kShiftJis, bytes);
}
std::string to_shift_jis(std::wstring_view text) {
  return from_wide(kShiftJis, text);
}

}  // namespace orv::win
