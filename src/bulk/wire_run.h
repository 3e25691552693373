// A run of steps paced by the unit's replies instead of a dialog's timer:
// the next command goes out as soon as the reply to the last one is in. The
// command-line tool reads and sets whole units with it; the commands, the
// replies and what they store are the same as in the dialogs' runs.
#pragma once

#include <functional>
#include <string>

#include "bulk/bulk_run.h"
#include "link/dispatch.h"
#include "link/line_port.h"
#include "protocol/device_settings.h"

namespace orv {

struct WireRunSetup {
  LinePort& port;
  Route route;  // the port as the serial or the TCP/IP link, with its framing
  int reply_timeout_ms = 3000;
  // A command whose reply does not come within the time-out goes out again,
  // up to this many more times (every command of a run is safe to repeat),
  // once the unit has answered a first command.
  int retries = 2;
  // After a command nobody answers (Broadcast), as long as the set-all
  // dialog's tick: every unit of the bus has that long to take it.
  int broadcast_gap_ms = 400;
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
