// Socket road: arbitrary chunks (separated by 0xFF in the input) handed to
// the reassembly one notification at a time.
#include <cstdint>
#include <string_view>

#include "invariants.h"
#include "protocol/replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  if (size == 0) return 0;
  AppState state;
  fuzz::set_up_from(data[0], state);
  state.config.interface_set = 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  while (!rest.empty()) {
    const size_t cut = rest.find('\xff');
    const std::string_view chunk = rest.substr(0, std::min<size_t>(cut, 1024));
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    state.reply.awaiting_reply = 1;
    state.reply.result_code = 0;
    handle_socket_reply(state, chunk);
    fuzz::require(state.socketLine.text.size() < kReplyLineBytes, "assembly fits its buffer");
    fuzz::require(chunk.empty() || state.reply.awaiting_reply == 0, "a chunk ends the wait");
    fuzz::require_settings_in_range(state.settings);
  }
  return 0;
}
