// A run of steps over a port whose replies the caller reads itself (the
// command line's serial line or converter connection): the run engine paced
// by the replies, on the port's conversation, with the steady clock. The
// commands, the replies and what they store are the same as in the
// dialogs' runs.
#pragma once

#include <functional>
#include <string>

#include "bulk/bulk_run.h"
#include "link/framing.h"
#include "link/line_port.h"
#include "protocol/device_settings.h"

namespace orv {

struct WireRunSetup {
  LinePort& port;
  bool tcp = false;       // the port is a converter connection (the socket road)
  SerialFraming framing;  // the serial line: RS-485 and the unit's address
  int reply_timeout_ms = 3000;
  // A command whose reply does not come within the time-out goes out again,
  // up to this many more times, once the unit has answered a first command.
  int retries = 2;
  // After a command nobody answers (Broadcast), as long as the set-all
  // dialog's tick: every unit of the bus has that long to take it.
  int broadcast_gap_ms = 400;
  // Before the first command, what is on the line (a late reply of a run
  // that failed, a stray line on the bus) is dropped until it has been
  // quiet this long, and for at most `drain_limit_ms` whatever keeps coming.
  int quiet_ms = 20;
  int drain_limit_ms = 500;
};

struct WireRunEnd {
  enum class Kind {
    completed,
    refused,      // a step could not be built: nothing of it was sent
    condition,    // the unit answered with a condition (its name in `reason`)
    no_reply,     // nothing came back in time
    link_failed,  // the port or the connection failed
  };
  Kind kind = Kind::completed;
  int step = 0;       // the step it ended at (1-based); 0 when completed
  std::string label;  // that step's label ("title ch.05")
  std::string reason;

  bool completed() const { return kind == Kind::completed; }
};

// Called before each step goes out.
using WireProgress = std::function<void(int step, int steps, const BulkStep& next)>;

// Sends steps 1..steps, storing every data reply into `settings`.
WireRunEnd run_on_wire(const WireRunSetup& setup, DeviceSettings& settings, int steps,
                       const BulkRun::StepSource& source, const WireProgress& progress = {});

}  // namespace orv
