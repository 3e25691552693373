// Reply text that arrives in pieces: the serial reader's line assembly and
// the TCP/IP road's reassembly across received chunks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr size_t kReplyLineBytes = 600;  // a line holds at most 599 characters

// Cuts a byte stream into lines, each ending at an LF (with the LF). Every LF
// ends a line, also one in the middle of a chunk, so two replies that arrive
// together stay two replies. A line that outgrows the buffer keeps its first
// 599 bytes and the rest up to its LF is dropped; delivered cut, it is
// rejected by its parser instead of being mistaken for silence.
class LineAssembler {
 public:
  std::vector<std::string> feed(std::string_view bytes);
  size_t pending() const { return line_.size(); }

 private:
  std::string line_;
};

// State of the TCP/IP road between socket notifications.
struct SocketLineAssembly {
  std::string text;      // the line assembled so far (at most 599 bytes)
  bool partial = false;  // the last chunk did not end in LF
};

}  // namespace orv
