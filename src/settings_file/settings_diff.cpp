#include "settings_file/settings_diff.h"

#include <algorithm>
#include <string_view>

#include "protocol/number_text.h"
#include "protocol/title_codec.h"

namespace orv {
namespace {

constexpr std::string_view kIdeographicSpace = "\x81\x40";  // "　"

class DifferenceList {
 public:
  explicit DifferenceList(std::vector<SettingDifference>& out) : out_(out) {}

  void value(const std::string& name, int left, int right) {
    if (left != right) out_.push_back({name, std::to_string(left), std::to_string(right)});
  }
  void text(const std::string& name, std::string_view left, std::string_view right) {
    if (left != right) out_.push_back({name, std::string(left), std::string(right)});
  }
  // Titles differ when the unit would hold different codes for them, as far
  // as `characters` of them: an IBM-extension kanji and its NEC-selected
  // twin are one character to the unit. Titles that cannot be sent differ
  // by their bytes.
  void title(const std::string& name, std::string_view left, std::string_view right,
             int characters) {
    const auto a = title_codes(left), b = title_codes(right);
    const bool same =
        a && b ? std::equal(a->begin(), a->begin() + characters, b->begin()) : left == right;
    if (!same) out_.push_back({name, std::string(left), std::string(right)});
  }
  template <typename Array>
  void channels(const std::string& name, const Array& left, const Array& right, int count) {
    for (int i = 0; i < count; ++i)
      value(name + " ch." + decimal_text(i + 1, 2), left[static_cast<size_t>(i)],
            right[static_cast<size_t>(i)]);
  }

 private:
  std::vector<SettingDifference>& out_;
};

std::string layout_name(int row) {
  return row == kFreeLayout ? "FREE" : "OP" + decimal_text(row + 1, 2);
}

std::string octets_text(const Octets& o) {
  return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
         std::to_string(o[3]);
}

// A title as far as a reply of `characters` characters carries it, without
// the ideographic spaces that pad it.
std::string_view title_as_answered(const TitleSlot& slot, int characters) {
  std::string_view text = title_text(slot);
  const size_t bytes = 2 * static_cast<size_t>(characters);
  if (text.size() > bytes) text = text.substr(0, bytes);
  while (text.size() >= 2 && text.substr(text.size() - 2) == kIdeographicSpace)
    text.remove_suffix(2);
  return text;
}

void compare_patterns(DifferenceList& list, const DeviceSettings& a, const DeviceSettings& b,
                      Compared compared) {
  list.value("currentScreenPattern", a.currentScreenPattern, b.currentScreenPattern);
  const int layouts = compared == Compared::whole_file ? kLayoutCount : kPatternCount;
  for (int row = 0; row < layouts; ++row)
    list.channels("screenPatterns " + layout_name(row), a.screenPatterns[row],
                  b.screenPatterns[row], kOutputCount);
  for (int row = 0; row < kPatternCount; ++row)
    list.channels("autoSwitchPatterns SP" + decimal_text(row + 1, 2), a.autoSwitchPatterns[row],
                  b.autoSwitchPatterns[row], a.inputCount);
}

void compare_titles(DifferenceList& list, const DeviceSettings& a, const DeviceSettings& b,
                    Compared compared) {
  for (int i = 0; i < a.inputCount; ++i) {
    const std::string name = "titles ch." + decimal_text(i + 1, 2);
    if (compared == Compared::whole_file) {
      list.title(name, title_text(a.titles[i]), title_text(b.titles[i]), kTitleCharacters);
    } else {
      const int characters = title_reply_characters(b.fontSize[i]);
      list.title(name, title_as_answered(a.titles[i], characters),
                 title_as_answered(b.titles[i], characters), characters);
    }
  }
}

void compare_converter(DifferenceList& list, const DeviceSettings& a, const DeviceSettings& b) {
  list.value("converterSubnetClass", a.converterSubnetClass, b.converterSubnetClass);
  list.text("converterIpAddress", octets_text(a.converterIpAddress),
            octets_text(b.converterIpAddress));
  list.text("converterGatewayAddress", octets_text(a.converterGatewayAddress),
            octets_text(b.converterGatewayAddress));
  list.text("converterActiveAddress", octets_text(a.converterActiveAddress),
            octets_text(b.converterActiveAddress));
  list.value("converterKeepAlive", a.converterKeepAlive, b.converterKeepAlive);
  list.value("converterConnectionTry", a.converterConnectionTry, b.converterConnectionTry);
}

}  // namespace

int title_reply_characters(int font_size) {
  switch (font_size) {
    case 1:
      return 21;
    case 2:
      return kTitleCharacters;
    default:
      return 14;
  }
}

std::vector<SettingDifference> settings_differences(const DeviceSettings& a,
                                                    const DeviceSettings& b, Compared compared) {
  std::vector<SettingDifference> out;
  DifferenceList list(out);
  const int inputs = a.inputCount;
  compare_patterns(list, a, b, compared);
  list.value("dateTimeRange", a.dateTimeRange, b.dateTimeRange);
  list.value("dateTimeSize", a.dateTimeSize, b.dateTimeSize);
  list.channels("dateTimeDisplayInput", a.dateTimeDisplayInput, b.dateTimeDisplayInput, inputs);
  list.channels("dateTimeDisplayOutput", a.dateTimeDisplayOutput, b.dateTimeDisplayOutput,
                kOutputCount);
  compare_titles(list, a, b, compared);
  list.channels("titleDisplayInput", a.titleDisplayInput, b.titleDisplayInput, inputs);
  list.channels("titleDisplayOutput", a.titleDisplayOutput, b.titleDisplayOutput, kOutputCount);
  list.channels("titlePosition", a.titlePosition, b.titlePosition, inputs);
  list.channels("fontSize", a.fontSize, b.fontSize, inputs);
  list.value("titleOffsetTop", a.titleOffsetTop, b.titleOffsetTop);
  list.value("titleOffsetBottom", a.titleOffsetBottom, b.titleOffsetBottom);
  list.value("passwordOnButton", a.passwordOnButton, b.passwordOnButton);
  list.value("passwordOnMenu", a.passwordOnMenu, b.passwordOnMenu);
  list.text("password", buffer_text(a.password), buffer_text(b.password));
  list.channels("videoOutput", a.videoOutput, b.videoOutput, kOutputCount);
  if (compared == Compared::whole_file) compare_converter(list, a, b);
  return out;
}

}  // namespace orv
