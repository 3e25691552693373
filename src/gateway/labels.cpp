#include "gateway/labels.h"

#include <vector>

#include "protocol/device_settings.h"
#include "protocol/title_codec.h"

namespace orv::gateway {
namespace {

// The UTF-8 characters of `text`, one string each; nothing for bytes that
// are not UTF-8.
std::optional<std::vector<std::string>> characters_of(std::string_view text) {
  std::vector<std::string> characters;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80       ? 1
                          : lead >> 5 == 6  ? 2
                          : lead >> 4 == 14 ? 3
                          : lead >> 3 == 30 ? 4
                                            : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return std::nullopt;
    characters.emplace_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

std::string utf8_of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// Half-width letters, digits and the blank as their full-width forms.
std::string full_width(const std::string& character) {
  if (character.size() != 1) return character;
  const char c = character[0];
  if (c == ' ') return utf8_of(0x3000);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
    return utf8_of(0xFF00 + static_cast<char32_t>(c - 0x20));
  return character;
}

}  // namespace

std::string label_of_title(std::string_view sjis) {
  std::string label = utf8_from_sjis(sjis).value_or(std::string());
  const std::string ideographic_space = utf8_of(0x3000);
  for (;;) {
    if (!label.empty() && label.back() == ' ') {
      label.pop_back();
    } else if (label.size() >= 3 && label.ends_with(ideographic_space)) {
      label.resize(label.size() - 3);
    } else {
      return label;
    }
  }
}

TitleOfLabel title_of_label(std::string_view utf8) {
  const auto characters = characters_of(utf8);
  if (!characters) return {std::nullopt, "the label is not UTF-8"};
  if (characters->size() > static_cast<size_t>(kTitleCharacters))
    return {std::nullopt, "longer than " + std::to_string(kTitleCharacters) + " characters"};
  std::string sjis;
  for (const std::string& character : *characters) {
    const auto code = sjis_from_utf8(full_width(character));
    if (!code || code->size() != 2 || !title_codes(*code))
      return {std::nullopt, "the character \"" + character + "\" cannot be sent"};
    sjis += *code;
  }
  return {sjis, {}};
}

}  // namespace orv::gateway
