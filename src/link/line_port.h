// A link whose replies the caller reads itself, as the command-line tool
// does: no window, no reader thread, just a wait with a deadline.
#pragma once

#include <string>

#include "link/link.h"

namespace orv {

class LinePort : public Link {
 public:
  // Appends to `bytes` what arrives within `timeout_ms` (nothing when the
  // time runs out). False when the port failed or the peer closed the
  // connection; `error` then says which.
  virtual bool receive(std::string& bytes, int timeout_ms, std::string& error) = 0;
};

}  // namespace orv
