// The system's log on Linux: syslog, as the daemon facility.
#include <syslog.h>

#include "gateway/event_outputs.h"

namespace orv::gateway {

void write_to_system_log(const Event& event) {
  static const bool opened = [] {
    openlog("orvellan-gateway", LOG_PID, LOG_DAEMON);
    return true;
  }();
  (void)opened;
  const bool warning = is_warning(event);
  syslog(warning ? LOG_WARNING : LOG_INFO, "%s", event_text(event).c_str());
}

}  // namespace orv::gateway
