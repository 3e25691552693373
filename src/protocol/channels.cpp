#include "protocol/channels.h"

#include "protocol/number_text.h"

namespace orv {

std::string channel_name(int index) {
  return "ch." + decimal_text(index + 1, 2);
}

}  // namespace orv
