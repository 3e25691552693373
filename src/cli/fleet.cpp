#include "cli/fleet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/terminal.h"
#include "settings_file/settings_file.h"

namespace orv::cli {
namespace {

struct UnitState {
  std::atomic<int> step{0};
  std::atomic<int> steps{0};
  std::atomic<bool> done{false};
  std::string failure;  // written by the unit's thread before `done`
};

std::string run_one(FleetUnit& unit, FleetJob job, int model, UnitState& state) {
  std::string error;
  if (!unit.failure.empty()) return unit.failure;
  if (!unit.link && unit.open) unit.link = unit.open(error);
  if (!unit.link) return error.empty() ? "no connection" : error;
  const WireProgress progress = [&state](int step, int steps, const BulkStep&) {
    state.steps = steps;
    state.step = step;
  };
  if (job == FleetJob::clock_sync) {
    const WireRunEnd end = sync_clock(*unit.link, progress);
    return end.completed() ? "" : describe_end(end);
  }
  if (job == FleetJob::restore) {
    const WireRunEnd end = set_unit(*unit.link, unit.settings, progress);
    return end.completed() ? "" : describe_end(end);
  }
  DeviceSettings settings = settings_for_model(model);
  const WireRunEnd end = read_unit(*unit.link, settings, progress);
  if (!end.completed()) return describe_end(end);
  if (!save_settings_file(unit.file, settings, error)) return error;
  return {};
}

// "fleet: 12/96 done, slowest 127.0.1.57 at 41 %" on a terminal, rewritten
// in place; on a file or a pipe only as each unit finishes.
class FleetProgress {
 public:
  FleetProgress(const std::vector<FleetUnit>& units, const std::vector<UnitState>& states)
      : units_(units), states_(states), terminal_(is_terminal()) {}

  void show() {
    int done = 0;
    size_t slowest = units_.size();
    int slowest_percent = 101;
    for (size_t i = 0; i < states_.size(); ++i) {
      if (states_[i].done) {
        ++done;
        continue;
      }
      const int steps = states_[i].steps;
      const int percent = steps > 0 ? states_[i].step * 100 / steps : 0;
      if (percent < slowest_percent) slowest = i, slowest_percent = percent;
    }
    if (!terminal_ && done == shown_done_) return;
    shown_done_ = done;
    std::string line =
        "fleet: " + std::to_string(done) + "/" + std::to_string(units_.size()) + " done";
    if (slowest < units_.size())
      line += ", slowest " + units_[slowest].name + " at " + std::to_string(slowest_percent) + " %";
    std::fprintf(stderr, terminal_ ? "\r%-72s" : "%s\n", line.c_str());
    std::fflush(stderr);
  }
  ~FleetProgress() {
    if (terminal_) std::fprintf(stderr, "\n");
  }

 private:
  const std::vector<FleetUnit>& units_;
  const std::vector<UnitState>& states_;
  bool terminal_;
  int shown_done_ = -1;
};

}  // namespace

int run_fleet(std::vector<FleetUnit>& units, FleetJob job, int model) {
  std::vector<UnitState> states(units.size());
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<std::thread> threads;
  threads.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    threads.emplace_back([&, i] {
      std::string failure = run_one(units[i], job, model, states[i]);
      std::lock_guard<std::mutex> lock(mutex);
      states[i].failure = std::move(failure);
      states[i].done = true;
      finished.notify_one();
    });
  }
  {
    FleetProgress progress(units, states);
    std::unique_lock<std::mutex> lock(mutex);
    const auto all_done = [&] {
      return std::all_of(states.begin(), states.end(),
                         [](const UnitState& s) { return s.done.load(); });
    };
    while (!finished.wait_for(lock, std::chrono::milliseconds(500), all_done)) progress.show();
    progress.show();
  }
  for (std::thread& thread : threads) thread.join();

  int failed = 0;
  for (size_t i = 0; i < units.size(); ++i) {
    if (states[i].failure.empty()) {
      if (job == FleetJob::backup) print_output(units[i].file.text() + "\n");
      continue;
    }
    if (failed++ == 0) print_error("orvellan-cli: these units failed:\n");
    print_error("  " + units[i].name + ": " + states[i].failure + "\n");
  }
  print_error("orvellan-cli: " + std::to_string(units.size() - static_cast<size_t>(failed)) +
              " of " + std::to_string(units.size()) + " unit(s) " +
              (job == FleetJob::backup    ? "read"
               : job == FleetJob::restore ? "set"
                                          : "in sync") +
              "\n");
  return failed == 0 ? 0 : 1;
}

}  // namespace orv::cli
