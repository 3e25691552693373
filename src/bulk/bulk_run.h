// Pacing shared by every bulk run (read all, set all, the all-pattern and
// all-title runs): one command per tick of the run's own timer, never
// before the previous reply.
#pragma once

#include <string>

#include "link/exchange.h"
#include "protocol/command.h"

namespace orv {

enum class BulkTick {
  finish,  // the last command was acknowledged, a failure was reported, or sending failed
  wait,    // a reply is awaited or a condition is being reported
  send,    // send the next step
};

BulkTick next_bulk_tick(const Exchange& exchange);

// Progress shown in the percent edit: step * 100 / steps.
int bulk_percent(int step, int steps);

// One step of a bulk run: the command and what it carries, for messages.
struct BulkStep {
  Command command;
  std::string label;              // "title ch.02", "pattern OP05", ...
  bool title_unsendable = false;  // the title failed the JIS check: warn before "Command Error"
};

}  // namespace orv
