// Socket road: arbitrary chunks (separated by 0xFF in the input) as one
// TCP/IP connection delivers them, cut into lines by the connection's
// assembler and handled one at a time.
#include <cstdint>
#include <string_view>

#include "invariants.h"

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
      fuzz::check_reply(state, line, before, [&state](ReplyTarget& target, const std::string& l) {
        take_reply(state.operator_road.exchange, target, ReplyRoad::socket, l);
      });
    }
  }
  return 0;
}
