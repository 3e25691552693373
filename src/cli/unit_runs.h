// Whole-unit runs of the command-line tool: opening the port the options
// name, reading or setting one unit at wire speed, and the progress line.
#pragma once

#include <memory>
#include <string>

#include "bulk/wire_run.h"
#include "cli/cli_options.h"

namespace orv::cli {

struct UnitLink {
  std::unique_ptr<LinePort> port;
  bool tcp = false;       // a converter connection
  SerialFraming framing;  // the serial line: RS-485 and the unit's address
  int timeout_ms = 3000;
  int retries = 2;
  int line_ms = 8;  // how long a set command's 7 bytes take on the unit's line
};

// The port of --port or --tcp, framed for --line and --address; nothing,
// with `error`, when it cannot be opened. A note about the port goes to
// standard error.
std::unique_ptr<UnitLink> open_unit_link(const Options& options, int address, std::string& error);

// Reads every setting a read-all reads into `settings` (which holds the
// model's start-up values for what is not read).
WireRunEnd read_unit(UnitLink& link, DeviceSettings& settings, const std::string& title);

// Sends every setting a set-all sends.
WireRunEnd set_unit(UnitLink& link, const DeviceSettings& settings, const std::string& title);

// The same, reporting each step to `progress` instead of a progress line
// (a fleet's units run side by side).
WireRunEnd read_unit(UnitLink& link, DeviceSettings& settings, const WireProgress& progress);
WireRunEnd set_unit(UnitLink& link, const DeviceSettings& settings, const WireProgress& progress);

// Sets the unit's clock from the computer's local clock: a pass of the clock
// commands, sent again while a pass crosses a minute; refused, with nothing
// sent, when the computer's year is one the unit cannot take.
WireRunEnd sync_clock(UnitLink& link, const WireProgress& progress = {});

// "step 87 of 207 (title ch.05, RCTN05): Command Error".
std::string describe_end(const WireRunEnd& end);

// The tool's output as it stands, without a stream library.
void print_output(const std::string& text);
void print_error(const std::string& text);

}  // namespace orv::cli
