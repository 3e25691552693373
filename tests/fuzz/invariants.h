// What must hold after any input, checked by every fuzz target.
#pragma once

#include <cstdio>
#include <cstdlib>

#include <functional>
#include <string_view>

#include "app/session.h"
#include "link/line_assembler.h"
#include "link/reply_roads.h"
#include "protocol/source_code.h"
#include "settings_file/settings_file.h"
#include "test_support.h"

namespace orv::fuzz {

using test::digest;

inline void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

template <typename Array>
bool all_within(const Array& values, size_t count, int low, int high) {
  for (size_t i = 0; i < count; ++i)
    if (values[i] < low || values[i] > high) return false;
  return true;
}

template <size_t N>
bool terminated(const std::array<char, N>& buffer) {
  for (char c : buffer)
    if (c == '\0') return true;
  return false;
}

// Accepted replies keep every setting within its documented range; the
// fields that hold raw reply text only need to stay terminated.
inline void require_settings_in_range(const DeviceSettings& s) {
  const size_t inputs = static_cast<size_t>(s.inputCount);
  require(s.currentScreenPattern >= 0 && s.currentScreenPattern <= kFreeLayout, "pattern in force");
  for (const auto& row : s.screenPatterns)
    for (int code : row) require(is_valid_source_code(code, s.inputCount), "screen pattern entry");
  for (const auto& row : s.autoSwitchPatterns) require(all_within(row, kMaxInputs, 0, 99), "dwell");
  require(s.dateTimeRange >= 0 && s.dateTimeRange <= 7, "date/time range");
  require(s.dateTimeSize == 0 || s.dateTimeSize == 1, "date/time size");
  require(all_within(s.dateTimeDisplayInput, inputs, 0, 1), "date/time display input");
  require(all_within(s.dateTimeDisplayOutput, kOutputCount, 0, 1), "date/time display output");
  require(all_within(s.titleDisplayInput, inputs, 0, 1), "title display input");
  require(all_within(s.titleDisplayOutput, kOutputCount, 0, 1), "title display output");
  require(all_within(s.titlePosition, inputs, 0, 1), "title position");
  require(all_within(s.fontSize, inputs, 0, 2), "font size");
  require(s.titleOffsetTop >= 0 && s.titleOffsetTop <= 15, "top offset");
  require(s.titleOffsetBottom >= 0 && s.titleOffsetBottom <= 15, "bottom offset");
  require(s.passwordOnButton == 0 || s.passwordOnButton == 1, "password on button");
  require(s.passwordOnMenu == 0 || s.passwordOnMenu == 1, "password on menu");
  require(all_within(s.videoOutput, kOutputCount, 0, 1), "video output");
  require(s.converterSubnetClass >= 0 && s.converterSubnetClass <= 2, "subnet class");
  require(all_within(s.converterIpAddress, 4, 0, 255), "ip address");
  require(all_within(s.converterGatewayAddress, 4, 0, 255), "gateway address");
  require(all_within(s.converterActiveAddress, 4, 0, 255), "active address");
  require(s.converterKeepAlive == 0 || s.converterKeepAlive == 1, "keep alive");
  require(s.converterConnectionTry == 0 || s.converterConnectionTry == 1, "connection try");
  require(s.converterTimeRegister >= 0 && s.converterTimeRegister <= 5, "time register");
  for (const auto& title : s.titles) {
    require(terminated(title), "title terminated");
    require(title_text(title).size() <= kTitleBytes, "title length");
  }
  require(terminated(s.password), "password terminated");
  require(terminated(s.converterPortNumber), "port number terminated");
  require(terminated(s.converterMacAddress), "mac address terminated");
  require(terminated(s.converterVersion), "version terminated");
}

inline void require_reply_state_sane(const Exchange& e) {
  require(!e.awaiting_reply(), "a handled reply ends the wait");
}

// Hands one assembled line to `road` as the answer to a command just sent,
// and checks what must hold after it. `before` is the digest of the state
// before the line and becomes the one after it.
template <typename Road>
void check_reply(Session& state, const std::string& line, size_t& before, Road road) {
  require(line.size() < kReplyLineBytes, "assembled line fits its buffer");
  Exchange& exchange = state.operator_road.exchange;
  exchange.abandon();
  exchange.sent();
  // Asked for by the read it answers: the line goes through its row.
  const std::string asked = "R" + line.substr(0, line.find('\r'));
  ReplyTarget target{state.document.settings, state.operator_road.awaitedGlyphCode,
                     &state.monitor.grid, false, asked};
  road(target, line);
  const size_t after = digest(state);
  if (exchange.result_code() != ResultCode::none)
    require(after == before, "a rejected reply stores nothing");
  // Only what a reply stored can have left its range.
  if (after != before) require_settings_in_range(state.document.settings);
  before = after;
  require_reply_state_sane(exchange);
}

// A session as the program starts with, for each input: copied from one made
// once, since making one (default titles, patterns) costs more than the
// replies the input holds.
inline Session& fresh_session() {
  static const Session pristine;
  static Session session;
  session = pristine;
  return session;
}

// The first input byte chooses the circumstances a reply arrives in.
inline void set_up_from(uint8_t choice, Session& state) {
  Configuration config;
  config.select_model = choice & 1;
  config.control = (choice >> 1) & 1;
  apply_configuration(state, config);
  state.selections.slaveAddress = (choice >> 2) & 31;
  state.operator_road.awaitedGlyphCode = (choice & 0x80) ? "A365" : "2341";
}

}  // namespace orv::fuzz
