// Socket road: arbitrary chunks (separated by 0xFF in the input) as one
// TCP/IP connection delivers them, cut into lines by the connection's
// assembler and handled one at a time.
#include <cstdint>
#include <string_view>

#include "invariants.h"
#include "link/line_assembler.h"
#include "link/reply_roads.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  if (size == 0) return 0;
  Session& state = fuzz::fresh_session();
  fuzz::set_up_from(data[0], state);
  state.config.interface_set = 1;
  LineAssembler assembler;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t before = fuzz::digest(state);
  while (!rest.empty()) {
    const size_t cut = rest.find('\xff');
    const std::string_view chunk = rest.substr(0, std::min<size_t>(cut, 1024));
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    for (const std::string& line : assembler.feed(chunk)) {
      fuzz::require(line.size() < kReplyLineBytes, "assembled line fits its buffer");
      state.exchange.abandon();
      state.exchange.sent();
      ReplyTarget target{state.settings, state.awaitedGlyphCode, &state.status};
      handle_socket_reply(state.exchange, target, line);
      const size_t after = fuzz::digest(state);
      if (state.exchange.result_code() != ResultCode::none)
        fuzz::require(after == before, "a rejected reply stores nothing");
      // Only what a reply stored can have left its range.
      if (after != before) fuzz::require_settings_in_range(state.settings);
      before = after;
      fuzz::require_reply_state_sane(state.exchange);
    }
  }
  return 0;
}
