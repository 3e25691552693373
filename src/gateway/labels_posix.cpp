// Code page 932 through iconv.
#include <iconv.h>

#include "gateway/labels.h"

namespace orv::gateway {
namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view text) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(text), out(text.size() * 4 + 4, '\0');
  char* in_at = in.data();
  char* out_at = out.data();
  size_t in_left = in.size(), out_left = out.size();
  const bool whole =
      iconv(converter, &in_at, &in_left, &out_at, &out_left) != static_cast<size_t>(-1);
  iconv_close(converter);
  if (!whole) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace

std::optional<std::string> utf8_from_sjis(std::string_view sjis) {
  return convert("UTF-8", "CP932", sjis);
}

std::optional<std::string> sjis_from_utf8(std::string_view utf8) {
  return convert("CP932", "UTF-8", utf8);
}

}  // namespace orv::gateway
