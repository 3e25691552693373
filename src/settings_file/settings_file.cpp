#include "settings_file/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

#include "protocol/source_code.h"

namespace orv {
namespace {

constexpr std::string_view kFileSpace = "\x81\x96";         // "＊"
constexpr std::string_view kIdeographicSpace = "\x81\x40";  // "　"
// An empty password would leave an empty line, which a reader skips, and
// every later value would move up one place; it is written as this mark.
constexpr std::string_view kNoPassword = "-";

// Writes the 24 groups through one visitor so that reading and writing can
// never disagree about the order. Each call names one value of the file
// and the range the unit takes for it (screen pattern entries in their file
// form, as if the unit had 64 inputs).
struct GroupVisitor {
  std::function<void(int&, int low, int high)> integer;
  std::function<void(TitleSlot&)> title;
  std::function<void(std::array<char, kPasswordBytes>&)> password;
};

template <typename Array>
void visit_all(Array& values, const GroupVisitor& v, int low, int high) {
  for (auto& value : values) v.integer(value, low, high);
}

void visit_groups(DeviceSettings& s, const GroupVisitor& v) {
  v.integer(s.currentScreenPattern, 0, kFreeLayout);
  for (auto& row : s.screenPatterns) visit_all(row, v, 0, kMaxInputs + kPatternCount - 1);
  for (auto& row : s.autoSwitchPatterns) visit_all(row, v, 0, 99);
  v.integer(s.dateTimeRange, 0, 7);
  v.integer(s.dateTimeSize, 0, 1);
  visit_all(s.dateTimeDisplayInput, v, 0, 1);
  visit_all(s.dateTimeDisplayOutput, v, 0, 1);
  for (auto& title : s.titles) v.title(title);
  visit_all(s.titleDisplayInput, v, 0, 1);
  visit_all(s.titleDisplayOutput, v, 0, 1);
  visit_all(s.titlePosition, v, 0, 1);
  visit_all(s.fontSize, v, 0, 2);
  v.integer(s.titleOffsetTop, 0, 15);
  v.integer(s.titleOffsetBottom, 0, 15);
  v.integer(s.passwordOnButton, 0, 1);
  v.integer(s.passwordOnMenu, 0, 1);
  v.password(s.password);
  visit_all(s.videoOutput, v, 0, 1);
  v.integer(s.converterSubnetClass, 0, 2);
  visit_all(s.converterIpAddress, v, 0, 255);
  visit_all(s.converterGatewayAddress, v, 0, 255);
  visit_all(s.converterActiveAddress, v, 0, 255);
  v.integer(s.converterKeepAlive, 0, 1);
  v.integer(s.converterConnectionTry, 0, 1);
}

void convert_sources(DeviceSettings& s, int (*convert)(int, int)) {
  for (auto& row : s.screenPatterns)
    for (int& code : row) code = convert(code, s.inputCount);
}

// Blank and control bytes would split a title's token and shift every later
// line, so they are written as '_' (such titles cannot be sent anyway).
char file_safe_byte(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  return b <= 0x20 || b == 0x7F ? '_' : byte;
}

// A new file of its own beside `path` ("NAME.XXXXXXXX.tmp"), made
// exclusively: it never follows a link or takes over a file placed there.
// Its descriptor, or -1 with `error`.
int create_temporary_beside(const FilePath& path, FilePath& temporary, std::string& error) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char tag[16];
    std::snprintf(tag, sizeof tag, ".%08x.tmp", static_cast<unsigned>(random()));
    temporary = path.plus(tag);
    const int fd = create_new_file(temporary);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  error = "cannot create " + temporary.text() + ": " + std::strerror(errno);
  return -1;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Splits the text into white-space separated tokens as "%d" and "%s" read
// them, keeping the line number of the last token for error messages.
class TokenReader {
 public:
  explicit TokenReader(std::string_view text) : text_(text) {}
  bool next(std::string_view& token) {
    while (position_ < text_.size() && is_blank(text_[position_])) {
      if (text_[position_] == '\n') ++line_;
      ++position_;
    }
    if (position_ >= text_.size()) return false;
    const size_t start = position_;
    while (position_ < text_.size() && !is_blank(text_[position_])) ++position_;
    token = text_.substr(start, position_ - start);
    ++tokens_;
    return true;
  }
  int line() const { return line_; }
  int tokens() const { return tokens_; }  // read so far, the last one included

 private:
  std::string_view text_;
  size_t position_ = 0;
  int line_ = 1;
  int tokens_ = 0;
};

int token_count(std::string_view text) {
  TokenReader reader(text);
  for (std::string_view token; reader.next(token);) {
  }
  return reader.tokens();
}

// The password's place among a whole file's values (1-based).
int password_place() {
  DeviceSettings any;
  int values = 0, place = 0;
  visit_groups(any, {[&](int&, int, int) { ++values; }, [&](TitleSlot&) { ++values; },
                     [&](std::array<char, kPasswordBytes>&) { place = ++values; }});
  return place;
}

// A file with a line missing or added before the password holds it at
// another place, where a number reader would quote it in its error: the
// token at the password's place counted from the start, or from the end
// of the file, is never shown.
bool may_be_the_password(int place, int tokens_in_file) {
  static const int from_start = password_place();
  return place == from_start || place == tokens_in_file - (kSettingsFileLines - from_start);
}

bool parse_int_token(std::string_view token, int& value) {
  size_t i = 0;
  bool negative = false;
  if (token[0] == '+' || token[0] == '-') negative = token[i++] == '-';
  if (i == token.size()) return false;
  long long number = 0;
  for (; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9') return false;
    number = number * 10 + (token[i] - '0');
    if (number > static_cast<long long>(INT_MAX) + 1) return false;
  }
  number = negative ? -number : number;
  if (number > INT_MAX || number < INT_MIN) return false;
  value = static_cast<int>(number);
  return true;
}

}  // namespace

std::string encode_file_title(const TitleSlot& title) {
  const std::string_view text = title_text(title);
  if (text.empty()) {
    std::string empty;
    for (int i = 0; i < kTitleCharacters; ++i) empty += kFileSpace;
    return empty;
  }
  std::string out;
  for (size_t i = 0; i < text.size(); i += 2) {
    const std::string_view pair = text.substr(i, 2);
    if (pair == kIdeographicSpace) {
      out += kFileSpace;
    } else {
      for (char byte : pair) out += file_safe_byte(byte);
    }
  }
  return out;
}

TitleSlot decode_file_title(std::string_view token) {
  std::string text;
  token = token.substr(0, kTitleBytes);
  for (size_t i = 0; i < token.size(); i += 2) {
    const std::string_view pair = token.substr(i, 2);
    text += pair == kFileSpace ? kIdeographicSpace : pair;
  }
  std::string all_spaces;
  for (int i = 0; i < kTitleCharacters; ++i) all_spaces += kIdeographicSpace;
  TitleSlot slot{};
  if (text != all_spaces) set_title(slot, text);
  return slot;
}

std::string format_settings_file(const DeviceSettings& settings) {
  DeviceSettings copy = settings;
  convert_sources(copy, source_to_file_form);
  std::string out;
  out.reserve(40000);
  const GroupVisitor writer{
      [&](int& value, int, int) { out += std::to_string(value) + "\r\n"; },
      [&](TitleSlot& title) { out += encode_file_title(title) + "\r\n"; },
      [&](std::array<char, kPasswordBytes>& password) {
        // A password that would not read back as one
        // token is written as none.
        std::string text(buffer_text(password));
        const bool one_token =
            std::none_of(text.begin(), text.end(), [](char b) { return file_safe_byte(b) != b; });
        out += (text.empty() || !one_token ? std::string(kNoPassword) : text) + "\r\n";
      }};
  visit_groups(copy, writer);
  return out;
}

bool parse_settings_file(std::string_view text, const DeviceSettings& current,
                         DeviceSettings& result, SettingsFileError& error, bool check_ranges) {
  DeviceSettings parsed = current;
  TokenReader reader(text);
  const int tokens_in_file = token_count(text);
  bool ok = true;
  auto fail = [&](SettingsFileError::Kind kind, std::string_view token) {
    if (!ok) return;
    ok = false;
    error.kind = kind;
    error.line = reader.line();
    if (may_be_the_password(reader.tokens(), tokens_in_file)) token = "******";
    error.token = std::string(token.substr(0, 20));
    switch (kind) {
      case SettingsFileError::Kind::ends_early:
        error.reason = "the file ends early";
        break;
      case SettingsFileError::Kind::goes_on:
        error.reason = "the file goes on after its last value";
        break;
      case SettingsFileError::Kind::out_of_range:
        error.reason = std::string(token) + " is not a value the unit takes";
        break;
      default:
        error.reason = std::string(1, '"').append(error.token).append("\" is not a number");
    }
  };
  auto take = [&](std::string_view& token) {
    if (!ok) return false;
    if (reader.next(token)) return true;
    fail(SettingsFileError::Kind::ends_early, {});
    return false;
  };
  const GroupVisitor readers{[&](int& value, int low, int high) {
                               std::string_view token;
                               if (!take(token)) return;
                               if (!parse_int_token(token, value))
                                 fail(SettingsFileError::Kind::not_a_number, token);
                               else if (check_ranges && (value < low || value > high))
                                 fail(SettingsFileError::Kind::out_of_range, token);
                             },
                             [&](TitleSlot& title) {
                               std::string_view token;
                               if (take(token)) title = decode_file_title(token);
                             },
                             [&](std::array<char, kPasswordBytes>& password) {
                               std::string_view token;
                               if (take(token))
                                 set_buffer_text(password,
                                                 token == kNoPassword ? "" : token.substr(0, 6));
                             }};
  visit_groups(parsed, readers);
  if (std::string_view extra; ok && reader.next(extra))
    fail(SettingsFileError::Kind::goes_on, extra);
  if (!ok) return false;
  convert_sources(parsed, source_from_file_form);
  result = std::move(parsed);
  return true;
}

bool can_write_beside(const FilePath& path, std::string& error) {
  FilePath temporary;
  const int fd = create_temporary_beside(path, temporary, error);
  if (fd < 0) return false;
  write_and_close(fd, {});
  remove_file(temporary);
  return true;
}

bool write_file_replacing(const FilePath& path, std::string_view text, std::string& error) {
  FilePath temporary;
  const int fd = create_temporary_beside(path, temporary, error);
  if (fd < 0) return false;
  if (!write_and_close(fd, text)) {
    error = "cannot write " + temporary.text();
    remove_file(temporary);
    return false;
  }
  if (!replace_file(temporary, path, error)) {
    remove_file(temporary);
    return false;
  }
  return true;
}

int inputs_beyond_orvellan(std::string_view text) {
  DeviceSettings as_tarquine;
  SettingsFileError ignored;
  if (!parse_settings_file(text, settings_for_model(kModelTarquine), as_tarquine, ignored))
    return 0;
  int entries = 0;
  for (const auto& row : as_tarquine.screenPatterns)
    for (int code : row) entries += code >= input_count_of(kModelOrvellan) && code < kMaxInputs;
  return entries;
}

bool load_settings_file(const FilePath& path, DeviceSettings& settings, SettingsFileError& error) {
  std::string text;
  switch (read_whole_file(path, text, error.reason)) {
    case FileRead::unreadable:
      error.kind = SettingsFileError::Kind::unreadable;
      return false;
    case FileRead::too_large:
      error.kind = SettingsFileError::Kind::too_large;
      return false;
    case FileRead::read:
      break;
  }
  DeviceSettings loaded;
  if (!parse_settings_file(text, settings, loaded, error)) return false;
  loaded.settingsDirty = 0;
  loaded.settingsFilePath = path.text();
  settings = std::move(loaded);
  return true;
}

bool save_settings_file(const FilePath& path, const DeviceSettings& settings, std::string& error) {
  return write_file_replacing(path, format_settings_file(settings), error);
}

}  // namespace orv
