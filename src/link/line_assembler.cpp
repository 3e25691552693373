#include "link/line_assembler.h"

namespace orv {

std::vector<std::string> LineAssembler::feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (char byte : bytes) {
    if (line_.size() < kReplyLineBytes - 1) line_ += byte;
    if (byte == '\n') {
      lines.push_back(std::move(line_));
      line_.clear();
    }
  }
  return lines;
}

}  // namespace orv
