// Every run that steps through a list of commands on a dialog's timer (read
// all, set all, all screen and switching patterns, all titles, the
// converter read): one command per tick, never before the previous reply,
// with its progress, its cancel and the end of the run. A dialog gives its
// step source; the Win32 binding (win/base/bulk_run_binding.h) ties the run to the
// dialog's button, percent edit and progress bar.
#pragma once

#include <functional>
#include <string>

#include "link/exchange.h"
#include "protocol/command.h"

namespace orv {

// One step of a run: the command and what it carries, for messages.
struct BulkStep {
  Command command;
  std::string label;              // "title ch.02", "pattern OP05", ...
  bool title_unsendable = false;  // the title failed the JIS check: warn before "Command Error"
};

enum class BulkTick {
  finish,  // the last command was acknowledged, a failure was reported, or sending failed
  wait,    // a reply is awaited or a condition is being reported
  send,    // send the next step
};

BulkTick next_bulk_tick(const Exchange& exchange);

// Progress shown in the percent edit: step * 100 / steps.
int bulk_percent(int step, int steps);

class BulkRun {
 public:
  using StepSource = std::function<BulkStep(int step)>;  // steps from 1

  // What one tick of the run's timer asks for.
  struct Tick {
    enum class Kind { wait, send, ended };
    Kind kind = Kind::wait;
    BulkStep step;           // send: the step to send, its phase already set in the exchange
    bool completed = false;  // ended: the last command was acknowledged
  };

  bool running() const { return steps_ > 0; }
  int step() const { return step_; }  // commands sent so far (bulk_step)
  int steps() const { return steps_; }
  int percent() const { return bulk_percent(step_, steps_); }

  // Starts a run of `steps` steps; false, and nothing starts, while a reply
  // is awaited or a run is under way.
  bool start(Exchange& exchange, int steps, StepSource source);

  // One tick: wait, send the next step, or end the run. At the end the
  // exchange is abandoned and the completion of the last command taken.
  Tick tick(Exchange& exchange);

  // The operator's cancel; false, and the run goes on, once the last
  // command has gone out. A cancelled run abandons the exchange.
  bool cancel(Exchange& exchange);

  // The dialog closes: the run ends without a word.
  void abandon(Exchange& exchange);

 private:
  void end(Exchange& exchange);

  int step_ = 0;
  int steps_ = 0;
  StepSource source_;
};

}  // namespace orv
