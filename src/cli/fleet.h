// A whole installation at once: every converter of a list, or every one that
// connects to the tool, read into its own settings file (backup), set from
// it (restore) or given the computer's time (clock sync), side by side, each
// on its own connection. A failing unit never stops the others.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/unit_runs.h"
#include "settings_file/file_system.h"

namespace orv::cli {

enum class FleetJob { backup, restore, clock_sync };

struct FleetUnit {
  std::string name;                // "127.0.0.1:9004", "192.168.1.3"
  FilePath file;                   // where its settings go, or come from
  std::unique_ptr<UnitLink> link;  // open already; null: opened by `open`
  std::function<std::unique_ptr<UnitLink>(std::string& error)> open;
  DeviceSettings settings;  // restore: what goes to the unit
  std::string failure;      // set before the run: the unit fails with it
};

// Runs `job` on every unit in parallel; progress (units done / total, the
// slowest unit) on standard error, then a summary naming each unit that
// failed and why. 0 when every unit succeeded, 1 otherwise.
int run_fleet(std::vector<FleetUnit>& units, FleetJob job, int model);

}  // namespace orv::cli
