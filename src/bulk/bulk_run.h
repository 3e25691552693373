// The one run engine: every run that steps through a list of commands (read
// all, set all, all screen and switching patterns, all titles, the
// converter read, a backup or restore of every unit, and every run of the
// command line). One command at a time, never before the previous reply,
// with its progress, its cancel and the end of the run. Its pace is its
// owner's: a dialog's timer, or the reply itself (the owner ticks the run
// as soon as a reply settles). The program binds it to a dialog's button,
// percent edit and progress bar (win/base/bulk_run_binding.h).
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

  struct Plan {
    int steps = 0;
    StepSource source;
    // A command whose reply is late goes out again this many more times,
    // once the unit has answered a step of this run: a unit that never
    // answered is silent, not unlucky, and costs one time-out.
    int retries = 0;
    // A condition the unit answers ends the run at once, as its reason;
    // otherwise timer 1 reports it first and the run ends on its next tick.
    bool ends_on_condition = false;
  };

  // What one tick of the run asks for.
  struct Tick {
    enum class Kind { wait, send, ended };
    Kind kind = Kind::wait;
    BulkStep step;           // send: the step to send, its phase already set in the exchange
    bool completed = false;  // ended: the last command was acknowledged
    ResultCode condition = ResultCode::none;  // ended by a condition (ends_on_condition)
  };

  bool running() const { return plan_.steps > 0; }
  int step() const { return step_; }  // commands sent so far (bulk_step)
  int steps() const { return plan_.steps; }
  int percent() const { return bulk_percent(step_, plan_.steps); }
  // How many more tries the step about to go out gets.
  int retries_now() const { return answered_ ? plan_.retries : 0; }

  // Starts a run; false, and nothing starts, while a reply is awaited or a
  // run is under way.
  bool start(Exchange& exchange, Plan plan);
  bool start(Exchange& exchange, int steps, StepSource source) {
    return start(exchange, Plan{steps, std::move(source)});
  }

  // A reply to one of its steps came: the unit answers.
  void answered() { answered_ = true; }

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
  bool answered_ = false;
  Plan plan_;
};

}  // namespace orv
