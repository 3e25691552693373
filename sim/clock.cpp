#include "clock.h"

#include <chrono>

namespace sim {

Millis SystemClock::now_ms() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::wall_seconds() const {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count() + wall_offset_s_;
}

}  // namespace sim
