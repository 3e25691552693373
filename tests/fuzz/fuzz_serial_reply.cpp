// Serial road: arbitrary bytes cut into lines, each handled as a reply.
#include <cstdint>
#include <string_view>

#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  if (size == 0) return 0;
  Session& state = fuzz::fresh_session();
  fuzz::set_up_from(data[0], state);
  LineAssembler assembler;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t before = fuzz::digest(state);
  for (const std::string& line : assembler.feed(bytes)) {
    fuzz::check_reply(state, line, before, [&state](ReplyTarget& target, const std::string& l) {
      take_reply(state.operator_road.exchange, target, ReplyRoad::serial,
                 without_own_address(l, state.framing()));
    });
  }
  return 0;
}
