// Serial road: arbitrary bytes cut into lines, each handled as a reply.
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
  LineAssembler assembler;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t before = fuzz::digest(state);
  for (const std::string& line : assembler.feed(bytes)) {
    fuzz::require(line.size() < kReplyLineBytes, "assembled line fits its buffer");
    state.exchange.abandon();
    state.exchange.sent();
    ReplyTarget target{state.settings, state.awaitedGlyphCode, &state.status};
    handle_serial_reply(state.exchange, target, state.framing(), line);
    const size_t after = fuzz::digest(state);
    if (state.exchange.result_code() != ResultCode::none)
      fuzz::require(after == before, "a rejected reply stores nothing");
    // Only what a reply stored can have left its range.
    if (after != before) fuzz::require_settings_in_range(state.settings);
    before = after;
    fuzz::require_reply_state_sane(state.exchange);
  }
  return 0;
}
