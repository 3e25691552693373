// Reply text that arrives in pieces, cut into lines: every link (the serial
// reader, each TCP/IP connection) runs one of these over its byte stream.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr size_t kReplyLineBytes = 600;  // a line holds at most 599 characters

// Every LF ends a line (the LF stays with it), also one in the middle of a
// chunk, so two replies that arrive together stay two replies. A line that
// outgrows the buffer keeps its first 599 bytes and the rest up to its LF is
// dropped; delivered cut, it is rejected by its parser instead of being
// mistaken for silence.
class LineAssembler {
 public:
  std::vector<std::string> feed(std::string_view bytes);
  size_t pending() const { return line_.size(); }
  void clear() { line_.clear(); }

 private:
  std::string line_;
};

}  // namespace orv
