// Code page 932 through the system's conversions.
#include <windows.h>

#include "gateway/labels.h"

namespace orv::gateway {
namespace {

std::optional<std::wstring> wide(UINT code_page, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), length);
  return out;
}

std::optional<std::string> narrow(UINT code_page, const std::wstring& text) {
  if (text.empty()) return std::string();
  BOOL defaulted = FALSE;
  const int size = static_cast<int>(text.size());
  BOOL* lossy = code_page == CP_UTF8 ? nullptr : &defaulted;
  const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length =
      WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, nullptr, lossy);
  if (length <= 0 || defaulted) return std::nullopt;
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace

std::optional<std::string> utf8_from_sjis(std::string_view sjis) {
  const auto text = wide(932, sjis);
  return text ? narrow(CP_UTF8, *text) : std::nullopt;
}

std::optional<std::string> sjis_from_utf8(std::string_view utf8) {
  const auto text = wide(CP_UTF8, utf8);
  return text ? narrow(932, *text) : std::nullopt;
}

}  // namespace orv::gateway
