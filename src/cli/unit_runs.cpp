#include "cli/unit_runs.h"

#include <algorithm>
#include <cstdio>

#include "bulk/clock_sync.h"
#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "cli/terminal.h"
#include "io/ports.h"
#include "link/traffic_log.h"

namespace orv::cli {
namespace {

// One line on a terminal, rewritten in place; nothing when standard error
// is a file or a pipe.
class ProgressLine {
 public:
  explicit ProgressLine(std::string title) : title_(std::move(title)), shown_(is_terminal()) {}
  ~ProgressLine() {
    if (shown_ && width_ > 0) std::fprintf(stderr, "\r%*s\r", width_, "");
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(int step, int steps, const BulkStep& next) {
    if (!shown_) return;
    std::string command = mask_password(next.command.text).substr(0, 24);
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
      command.pop_back();
    const int width = std::fprintf(stderr, "\r%s %3d %%  %s", title_.c_str(),
                                   bulk_percent(step, steps), command.c_str());
    if (width < width_) std::fprintf(stderr, "%*s", width_ - width, "");
    width_ = std::max(width_, width);
    std::fflush(stderr);
  }

 private:
  std::string title_;
  bool shown_;
  int width_ = 0;
};

WireRunEnd run(UnitLink& link, DeviceSettings& settings, int steps,
               const BulkRun::StepSource& source, const WireProgress& progress) {
  WireRunSetup setup{*link.port, link.tcp, link.framing};
  setup.reply_timeout_ms = link.timeout_ms;
  setup.retries = link.retries;
  return run_on_wire(setup, settings, steps, source, progress);
}

WireRunEnd run(UnitLink& link, DeviceSettings& settings, int steps,
               const BulkRun::StepSource& source, const std::string& title) {
  ProgressLine progress(title);
  return run(link, settings, steps, source,
             [&](int step, int all, const BulkStep& next) { progress.show(step, all, next); });
}

// A set-all stores nothing, but the run needs a target for its replies.
template <typename Progress>
WireRunEnd set(UnitLink& link, const DeviceSettings& settings, const Progress& progress) {
  DeviceSettings replies = settings;
  return run(
      link, replies, set_all_step_count(settings),
      [&settings](int step) { return set_all_step(step, settings); }, progress);
}

template <typename Progress>
WireRunEnd read(UnitLink& link, DeviceSettings& settings, const Progress& progress) {
  const int inputs = settings.inputCount;
  return run(
      link, settings, read_all_step_count(inputs),
      [inputs](int step) { return read_all_step(step, inputs); }, progress);
}

}  // namespace

std::unique_ptr<UnitLink> open_unit_link(const Options& options, int address, std::string& error) {
  auto link = std::make_unique<UnitLink>();
  link->timeout_ms = options.timeout_ms;
  link->retries = options.retries;
  if (!options.tcp.empty()) {
    link->port = io::open_tcp_port(options.tcp, options.timeout_ms, error);
    link->tcp = true;
  } else {
    std::string note;
    link->port = io::open_serial_port(options.port, options.baud, note, error);
    if (!note.empty()) print_error("orvellan-cli: note: " + note + "\n");
    link->framing = SerialFraming{options.rs485, address};
    link->line_ms = (7 * 11 * 1000 + options.baud - 1) / std::max(options.baud, 1);
  }
  if (!link->port) return nullptr;
  return link;
}

WireRunEnd read_unit(UnitLink& link, DeviceSettings& settings, const std::string& title) {
  return read(link, settings, title);
}

WireRunEnd read_unit(UnitLink& link, DeviceSettings& settings, const WireProgress& progress) {
  return read(link, settings, progress);
}

WireRunEnd set_unit(UnitLink& link, const DeviceSettings& settings, const std::string& title) {
  return set(link, settings, title);
}

WireRunEnd set_unit(UnitLink& link, const DeviceSettings& settings, const WireProgress& progress) {
  return set(link, settings, progress);
}

void print_output(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void print_error(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

WireRunEnd sync_clock(UnitLink& link, const WireProgress& progress) {
  ClockSync sync(local_time_now, link.line_ms);
  if (const std::string why = sync.refusal(); !why.empty())
    return {WireRunEnd::Kind::refused, 1, "the computer's clock", why};
  DeviceSettings replies = settings_for_model(kModelOrvellan);  // set commands store nothing
  for (int pass = 1;; ++pass) {
    const WireRunEnd end = run(
        link, replies, ClockSync::kSteps, [&sync](int step) { return sync.step(step); }, progress);
    if (!end.completed() || !sync.crossed()) return end;
    if (pass == ClockSync::kPasses)
      return {WireRunEnd::Kind::link_failed, ClockSync::kSteps, "second",
              "every pass crossed a minute of the computer's clock"};
  }
}

std::string describe_end(const WireRunEnd& end) {
  return "step " + std::to_string(end.step) + " (" + end.label + "): " + end.reason;
}

}  // namespace orv::cli
