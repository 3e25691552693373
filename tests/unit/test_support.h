// Fakes shared by the core tests.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/configuration.h"
#include "app/session.h"
#include "link/link.h"

namespace orv::test {

// Records what would have gone out on a link.
class RecordingLink : public Link {
 public:
  bool ready() const override { return connected; }
  bool send(std::string_view bytes) override {
    if (!accepts) return false;
    sent.emplace_back(bytes);
    return true;
  }
  std::string name() const override { return "test"; }
  bool connected = true;
  bool accepts = true;
  std::vector<std::string> sent;
};

// A session whose links record what they are given: the serial line, the
// TCP/IP client's converter, and the server's picked place.
struct SessionWithLinks {
  SessionWithLinks() {
    session.lines.serial_link = &serial;
    session.lines.client_link = &tcp;
    session.lines.picked_place = &tcp;
  }
  void use_tarquine() {
    Configuration c = session.config;
    c.select_model = 1;
    apply_configuration(session, c);
  }
  Session session;
  RecordingLink serial;
  RecordingLink tcp;
};

// An INI file in memory that behaves like the profile functions: names are
// compared without regard to case, values are cut to the caller's buffer.
class MemoryProfileStore : public ProfileStore {
 public:
  std::string read(std::string_view section, std::string_view key, std::string_view default_value,
                   size_t buffer_size) override {
    const auto found = values.find(name(section, key));
    std::string value(found == values.end() ? default_value : std::string_view(found->second));
    return value.substr(0, buffer_size > 0 ? buffer_size - 1 : 0);
  }
  bool write(std::string_view section, std::string_view key, std::string_view value) override {
    values[name(section, key)] = std::string(value);
    ++writes;
    return true;
  }
  void set(std::string_view key, std::string_view value) {
    values[name(kConfigSection, key)] = std::string(value);
  }
  std::string get(std::string_view key) const {
    const auto found = values.find(name(kConfigSection, key));
    return found == values.end() ? std::string("<missing>") : found->second;
  }

  std::map<std::string, std::string> values;
  int writes = 0;

 private:
  static std::string name(std::string_view section, std::string_view key) {
    std::string joined = std::string(section) + "/" + std::string(key);
    std::transform(joined.begin(), joined.end(), joined.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return joined;
  }
};

// Shift_JIS text from byte values, for titles in tests.
inline std::string sjis(std::initializer_list<int> bytes) {
  std::string text;
  for (int b : bytes) text += static_cast<char>(b);
  return text;
}

// A digest of everything a rejected reply must leave as it was: each field
// is hashed as raw bytes (the fields are plain arrays of int and char), so
// the check costs a few microseconds a line instead of a copy of the state.
inline size_t digest(const Session& state) {
  const DeviceSettings& s = state.document.settings;
  size_t h = 14695981039346656037ull;
  const auto mix = [&h](const auto&... fields) {
    for (const std::string_view bytes :
         {std::string_view(reinterpret_cast<const char*>(&fields), sizeof fields)...})
      h = (h ^ std::hash<std::string_view>{}(bytes)) * 1099511628211ull;
  };
  mix(s.currentScreenPattern, s.screenPatterns, s.autoSwitchPatterns, s.dateTimeRange,
      s.dateTimeSize, s.dateTimeDisplayInput, s.dateTimeDisplayOutput, s.titles,
      s.titleDisplayInput, s.titleDisplayOutput, s.titlePosition, s.fontSize, s.titleOffsetTop,
      s.titleOffsetBottom, s.passwordOnButton, s.passwordOnMenu, s.password, s.videoOutput,
      s.converterSubnetClass, s.converterIpAddress, s.converterGatewayAddress,
      s.converterActiveAddress, s.converterKeepAlive, s.converterConnectionTry,
      s.converterTimeRegister, s.converterPortNumber, s.converterMacAddress, s.converterVersion,
      s.glyphBitmap, state.monitor.grid.shownInput, state.monitor.grid.switchingPattern);
  return h;
}

// The lines of a text whose lines end in CR LF; a last line without its
// ending shows as "<unterminated>" and its text.
inline std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back("<unterminated>" + text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

inline std::string repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

}  // namespace orv::test
