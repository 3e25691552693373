#include "protocol/title_codec.h"

#include "protocol/device_settings.h"
#include "protocol/glyph_size.h"

namespace orv {
namespace {

constexpr char kSpaceLead = '\x81';
constexpr char kSpaceTrail = '\x40';

bool in_range(int value, int low, int high) {
  return value >= low && value <= high;
}

bool is_small_roman_numeral(std::uint16_t s) {
  return in_range(s, 0xFA40, 0xFA49);
}
bool is_ibm_symbol(std::uint16_t s) {
  return in_range(s, 0xFA55, 0xFA57);
}

}  // namespace

std::optional<PaddedTitle> pad_title(std::string_view title) {
  if (title.size() > kTitleBytes || title.size() % 2 != 0) return std::nullopt;
  PaddedTitle padded{};
  size_t i = 0;
  for (; i < title.size(); ++i) padded[i] = title[i];
  for (; i < padded.size(); i += 2) {
    padded[i] = kSpaceLead;
    padded[i + 1] = kSpaceTrail;
  }
  return padded;
}

std::uint16_t map_ibm_extension(std::uint16_t s) {
  if (is_small_roman_numeral(s)) return static_cast<std::uint16_t>(s - 0x0B51);
  if (is_ibm_symbol(s)) return static_cast<std::uint16_t>(s - 0x0B5B);
  if ((s >= 0xFA40 && s < 0xFA7F) || in_range(s, 0xFA9C, 0xFAFC) || in_range(s, 0xFB5C, 0xFB7E) ||
      in_range(s, 0xFB9C, 0xFBFC))
    return static_cast<std::uint16_t>(s - 0x0D1C);
  if (in_range(s, 0xFA80, 0xFA9B) || in_range(s, 0xFB80, 0xFB9B))
    return static_cast<std::uint16_t>(s - 0x0D1D);
  if (in_range(s, 0xFB40, 0xFB5B) || in_range(s, 0xFC40, 0xFC4B))
    return static_cast<std::uint16_t>(s - 0x0D5F);
  return 0;
}

std::optional<std::uint16_t> sjis_to_jis(std::uint16_t s) {
  const int lead = s >> 8;
  const int trail = s & 0xFF;
  const bool lead_ok = in_range(lead, 0x81, 0x9F) || in_range(lead, 0xE0, 0xFC);
  const bool trail_ok = in_range(trail, 0x40, 0x7E) || in_range(trail, 0x80, 0xFC);
  if (!lead_ok || !trail_ok) return std::nullopt;
  const int a = lead < 0xA0 ? lead - 0x81 : lead - 0xC1;
  int jis;
  if (trail < 0x9F)
    jis = (2 * a + 0x21) * 256 + (trail - 0x1F - (trail > 0x7E ? 1 : 0));
  else
    jis = (2 * a + 0x22) * 256 + (trail - 0x7E);
  if (!in_range(jis, 0x2121, 0x7E7E) || !in_range(jis & 0xFF, 0x21, 0x7E)) return std::nullopt;
  return static_cast<std::uint16_t>(jis);
}

std::uint16_t external_character(int registration) {
  const int trail = 0x40 + registration % 188;
  return static_cast<std::uint16_t>((0xF0 + registration / 188) << 8 | (trail + (trail >= 0x7F)));
}

std::optional<int> registration_of_external(std::uint16_t sjis) {
  const int lead = sjis >> 8, trail = sjis & 0xFF;
  if (lead < 0xF0 || trail < 0x40 || trail == 0x7F || trail > 0xFC) return std::nullopt;
  const int registration = (lead - 0xF0) * 188 + trail - 0x40 - (trail > 0x7F);
  if (registration >= kGlyphRegistrations) return std::nullopt;
  return registration;
}

std::optional<int> registration_of_glyph_code(std::uint16_t jis) {
  const int low = jis & 0xFF;
  if ((jis >> 8) < 0xA3 || low < 0x21 || low > 0x7E) return std::nullopt;
  const int registration = ((jis >> 8) - 0xA3) * 94 + low - 0x21 - 68;
  if (registration < 0 || registration >= kGlyphRegistrations) return std::nullopt;
  return registration;
}

std::optional<std::uint16_t> title_char_to_jis(std::uint16_t s) {
  if (const auto registration = registration_of_external(s))
    return registration_glyph_code(*registration);
  if (is_small_roman_numeral(s)) return static_cast<std::uint16_t>(s - 0x7DCF);
  if (is_ibm_symbol(s)) return static_cast<std::uint16_t>(s - 0x7DD9);
  if (s >= 0xFA5C) s = map_ibm_extension(s);
  return sjis_to_jis(s);
}

std::optional<TitleCodes> encode_title(const PaddedTitle& padded) {
  TitleCodes codes{};
  for (size_t c = 0; c < codes.size(); ++c) {
    const auto lead = static_cast<unsigned char>(padded[2 * c]);
    const auto trail = static_cast<unsigned char>(padded[2 * c + 1]);
    const auto jis = title_char_to_jis(static_cast<std::uint16_t>(lead << 8 | trail));
    if (!jis) return std::nullopt;
    codes[c] = *jis;
  }
  return codes;
}

std::optional<TitleCodes> title_codes(std::string_view title) {
  const auto padded = pad_title(title);
  return padded ? encode_title(*padded) : std::nullopt;
}

std::uint16_t jis_to_sjis(std::uint16_t jis) {
  int high = jis >> 8;
  int low = jis & 0xFF;
  if (!in_range(high, 0x21, 0x7E) || !in_range(low, 0x21, 0x7E)) return 0;
  if (high % 2 == 1) {
    low += low <= 0x5F ? 0x1F : 0x20;
  } else {
    low += 0x7E;
  }
  high = (high + 1) / 2 + (high <= 0x5E ? 0x70 : 0xB0);
  return static_cast<std::uint16_t>(high << 8 | low);
}

std::uint16_t sample_glyph_code(std::string_view sample) {
  if (sample.size() != 2) return kIdeographicSpaceJis;
  std::uint16_t s = static_cast<std::uint16_t>(static_cast<unsigned char>(sample[0]) << 8 |
                                               static_cast<unsigned char>(sample[1]));
  if (s >= 0xFA5C || is_small_roman_numeral(s) || is_ibm_symbol(s)) s = map_ibm_extension(s);
  return sjis_to_jis(s).value_or(kIdeographicSpaceJis);
}

}  // namespace orv
