// Serial road: arbitrary bytes cut into lines, each handled as a reply.
#include <cstdint>
#include <string_view>

#include "invariants.h"
#include "protocol/replies.h"
#include "protocol/reply_assembly.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  if (size == 0) return 0;
  AppState state;
  fuzz::set_up_from(data[0], state);
  LineAssembler assembler;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const std::string& line : assembler.feed(bytes)) {
    fuzz::require(line.size() < kReplyLineBytes, "assembled line fits its buffer");
    state.reply.awaiting_reply = 1;
    state.reply.wait_ticks = 1;
    state.reply.result_code = 0;
    const std::string before = fuzz::snapshot(state);
    handle_serial_reply(state, line);
    if (state.reply.result_code != kResultNone)
      fuzz::require(fuzz::snapshot(state) == before, "a rejected reply stores nothing");
    fuzz::require_reply_state_sane(state.reply);
    fuzz::require_settings_in_range(state.settings);
  }
  return 0;
}
