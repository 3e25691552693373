// Channels as the operator sees them: held 0-based, shown "ch.01" upward,
// sent 1-based as two digits.
#pragma once

#include <string>

namespace orv {

// A shared channel choice, and the channel whose page a painted table last
// showed (a table repaints when the page changes).
struct ChannelSelection {
  int current = 0;
  int painted = 0;
};

// "ch.01" for index 0.
std::string channel_name(int index);

}  // namespace orv
