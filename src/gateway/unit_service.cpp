#include "gateway/unit_service.h"

#include <algorithm>

#include "bulk/shared_steps.h"
#include "gateway/labels.h"
#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "status/status_grid.h"

namespace orv::gateway {
namespace {

bool is_acknowledgement(const std::string& answer) {
  return without_line_end(answer) == "GO";
}

std::string default_output_label(int output) {
  return "OUT " + decimal_text(output + 1, 2);
}

}  // namespace

UnitService::UnitService(Unit& unit) : unit_(unit) {
  for (int output = 0; output < kOutputCount; ++output) {
    const auto& given = unit.config.output_labels;
    output_labels_.push_back(static_cast<size_t>(output) < given.size() && !given[output].empty()
                                 ? given[output]
                                 : default_output_label(output));
  }
  requester_ = unit_.line->add_requester([this](const Settled& s) { answered(s); });
  title_reader_ = unit_.line->add_requester([this](const Settled& s) { title_answered(s); });
  unit_.on_polled = [this](const Polled& p) { polled(p); };
}

UnitService::~UnitService() {
  unit_.on_polled = nullptr;
  unit_.line->forget(requester_);
  unit_.line->forget(title_reader_);
}

// --- What clients see.

int UnitService::watch(Watcher watcher) {
  watchers_.emplace(next_watcher_, std::move(watcher));
  return next_watcher_++;
}

void UnitService::unwatch(int watcher) {
  watchers_.erase(watcher);
}

void UnitService::tell(Change change, const std::vector<int>& which) {
  // A watcher may unwatch (its client closes) while it is told.
  std::vector<Watcher> told;
  for (const auto& [id, watcher] : watchers_) told.push_back(watcher);
  for (const Watcher& watcher : told) watcher(change, which);
}

int UnitService::shown_input(int output) const {
  const int input = unit_.grid.shownInput[static_cast<size_t>(output)];
  return input == kNothingShown ? -1 : input;
}

int UnitService::switching_pattern(int output) const {
  const int pattern = unit_.grid.switchingPattern[static_cast<size_t>(output)];
  return pattern >= 0 && pattern < kPatternCount ? pattern : -1;
}

std::optional<int> UnitService::pattern() const {
  if (!unit_.pattern_known) return std::nullopt;
  return unit_.read.currentScreenPattern;
}

void UnitService::polled(const Polled& polled) {
  if (polled.online_changed) {
    tell(Change::online);
    if (unit_.online) read_titles();
  }
  if (!polled.routing.empty()) tell(Change::routing, polled.routing);
  if (polled.pattern_changed) tell(Change::pattern);
}

// --- Locks.

int UnitService::new_client() {
  static int next = 1;
  return next++;
}

bool UnitService::lock(int output, int client) {
  int& holder = locks_[static_cast<size_t>(output)];
  if (holder != 0 && holder != client) return false;
  if (holder != client) {
    holder = client;
    tell(Change::locks, {output});
  }
  return true;
}

bool UnitService::unlock(int output, int client) {
  int& holder = locks_[static_cast<size_t>(output)];
  if (holder != 0 && holder != client) return false;
  if (holder != 0) {
    holder = 0;
    tell(Change::locks, {output});
  }
  return true;
}

void UnitService::force_unlock(int output) {
  int& holder = locks_[static_cast<size_t>(output)];
  if (holder == 0) return;
  holder = 0;
  tell(Change::locks, {output});
}

void UnitService::release_locks(int client) {
  std::vector<int> released;
  for (int output = 0; output < kOutputCount; ++output)
    if (locks_[static_cast<size_t>(output)] == client) {
      locks_[static_cast<size_t>(output)] = 0;
      released.push_back(output);
    }
  if (!released.empty()) tell(Change::locks, released);
}

bool UnitService::locked_by_another(int client) const {
  return std::any_of(locks_.begin(), locks_.end(),
                     [client](int holder) { return holder != 0 && holder != client; });
}

// --- Operations, one at a time.

void UnitService::queue(std::function<void()> operation) {
  operations_.push_back(std::move(operation));
  if (!operating_) next_operation();
}

void UnitService::next_operation() {
  if (operations_.empty()) {
    operating_ = false;
    return;
  }
  operating_ = true;
  auto operation = std::move(operations_.front());
  operations_.pop_front();
  operation();
}

void UnitService::finish(const Done& done, const Outcome& outcome) {
  if (done) done(outcome);
  next_operation();
}

void UnitService::ask(const std::string& command, bool holds_line, Answer answer) {
  answers_.push_back(std::move(answer));
  const GatewayConfig& config = unit_.line->config();
  unit_.line->ask(Request{requester_, command, unit_.address_field(), Priority::operator_command,
                          config.retries, std::chrono::milliseconds(config.timeout_ms),
                          std::nullopt, holds_line});
}

void UnitService::answered(const Settled& settled) {
  if (answers_.empty()) return;
  const Answer answer = std::move(answers_.front());
  answers_.pop_front();
  answer(settled);
}

// A setting is done when the unit acknowledges it; a read when its reply
// is taken. A condition is reported by its name; any other line is the
// program's "Command Error".
Outcome UnitService::outcome_of(const Settled& settled, bool setting) {
  switch (settled.how) {
    case Settled::How::answered: {
      const ResultCode condition = condition_code(settled.answer);
      if (condition != ResultCode::none)
        return {Outcome::Kind::condition, std::string(condition_text(condition))};
      if (setting ? is_acknowledgement(settled.answer)
                  : take_answer(unit_, settled) == ResultCode::none)
        return {};
      return {Outcome::Kind::condition, std::string(condition_text(ResultCode::command_error))};
    }
    case Settled::How::unanswered:
      return {Outcome::Kind::no_answer, "the unit did not answer"};
    case Settled::How::without_reply:
      return {};
    case Settled::How::link_failed:
    case Settled::How::connection_lost:
    case Settled::How::expired:
      break;
  }
  return {Outcome::Kind::no_answer, "the line to the unit is down"};
}

// --- Routing one output.

void UnitService::route(const std::map<int, int>& routes, Done done) {
  for (const auto& [output, input] : routes) waiting_routes_[output] = input;
  waiting_done_.push_back(std::move(done));
  if (routing_queued_) return;
  routing_queued_ = true;
  queue([this] { start_routing(); });
}

void UnitService::start_routing() {
  routing_queued_ = false;
  routing_ = std::move(waiting_routes_);
  routing_done_ = std::move(waiting_done_);
  waiting_routes_.clear();
  waiting_done_.clear();
  ask(build_read_output_selection().text, true,
      [this](const Settled& settled) { write_free_layout(settled); });
}

void UnitService::write_free_layout(const Settled& selection) {
  if (selection.how != Settled::How::answered ||
      condition_code(selection.answer) != ResultCode::none)
    return routed(outcome_of(selection, false));
  auto layout = output_selection_layout(selection.answer, inputs());
  if (!layout)
    return routed(
        {Outcome::Kind::condition, std::string(condition_text(ResultCode::command_error))});
  for (const auto& [output, input] : routing_) (*layout)[static_cast<size_t>(output)] = input;
  const bool free_in_force = unit_.pattern_known && unit_.read.currentScreenPattern == kFreeLayout;
  ask(build_free_layout(*layout, inputs()).text, !free_in_force,
      [this, free_in_force](const Settled& written) {
        const Outcome outcome = outcome_of(written, true);
        if (!outcome.ok() || free_in_force) return routed(outcome);
        ask(build_switch_pattern(kFreeLayout).text, false,
            [this](const Settled& recalled) { routed(outcome_of(recalled, true)); });
      });
}

// The routed outputs show their inputs at once, as the polls will read
// them; a route that failed leaves the state as the polls last read it.
void UnitService::routed(const Outcome& outcome) {
  if (outcome.ok()) {
    std::vector<int> changed;
    for (const auto& [output, input] : routing_) {
      auto& shown = unit_.grid.shownInput[static_cast<size_t>(output)];
      auto& switching = unit_.grid.switchingPattern[static_cast<size_t>(output)];
      if (shown == input && switching == kNothingShown) continue;
      shown = input;
      switching = kNothingShown;
      changed.push_back(output);
    }
    const bool pattern_changed =
        !unit_.pattern_known || unit_.read.currentScreenPattern != kFreeLayout;
    unit_.pattern_known = true;
    unit_.read.currentScreenPattern = kFreeLayout;
    if (!changed.empty()) tell(Change::routing, changed);
    if (pattern_changed) tell(Change::pattern);
  }
  const std::vector<Done> done = std::move(routing_done_);
  routing_done_.clear();
  routing_.clear();
  for (const Done& each : done) each(outcome);
  next_operation();
}

// --- Recalling a pattern.

void UnitService::recall(int pattern, Done done) {
  queue([this, pattern, done = std::move(done)] {
    ask(build_switch_pattern(pattern).text, false, [this, pattern, done](const Settled& settled) {
      const Outcome outcome = outcome_of(settled, true);
      if (!outcome.ok()) return finish(done, outcome);
      recalled(pattern, done);
    });
  });
}

// The outputs are read again at once, so that the answer shows the pattern
// recalled.
void UnitService::recalled(int pattern, const Done& done) {
  const bool changed = !unit_.pattern_known || unit_.read.currentScreenPattern != pattern;
  unit_.pattern_known = true;
  unit_.read.currentScreenPattern = pattern;
  if (changed) tell(Change::pattern);
  const auto read_into_grid = [this](const Settled& settled) {
    if (settled.how == Settled::How::answered) take_answer(unit_, settled);
    std::vector<int> outputs = unit_.grid.changedCells;
    for (const int output : unit_.grid.changedLabels)
      if (std::find(outputs.begin(), outputs.end(), output) == outputs.end())
        outputs.push_back(output);
    unit_.grid.changedCells.clear();
    unit_.grid.changedLabels.clear();
    if (!outputs.empty()) tell(Change::routing, outputs);
  };
  ask(build_read_output_state().text, false, read_into_grid);
  ask(build_read_output_selection().text, false, [this, read_into_grid, done](const Settled& s) {
    read_into_grid(s);
    finish(done, {});
  });
}

// --- Titles.

void UnitService::set_title(int input, const std::string& sjis, Done done) {
  queue([this, input, sjis, done = std::move(done)] {
    DeviceSettings with_title = unit_.read;
    orv::set_title(with_title.titles[static_cast<size_t>(input)], sjis);
    auto steps = std::make_shared<std::vector<std::string>>();
    for (const BulkStep& step : title_steps(input, with_title)) steps->push_back(step.command.text);
    send_title_steps(steps, 0, input, sjis, done);
  });
}

void UnitService::send_title_steps(std::shared_ptr<std::vector<std::string>> steps, size_t next,
                                   int input, std::string sjis, Done done) {
  if (next == steps->size()) {
    orv::set_title(unit_.read.titles[static_cast<size_t>(input)], sjis);
    if (labels_.size() == static_cast<size_t>(inputs())) {
      labels_[static_cast<size_t>(input)] = label_of_title(sjis);
      tell(Change::labels, {input});
    }
    return finish(done, {});
  }
  const std::string command = (*steps)[next];
  ask(command, false, [=, this](const Settled& settled) {
    const Outcome outcome = outcome_of(settled, true);
    if (!outcome.ok()) return finish(done, outcome);
    send_title_steps(steps, next + 1, input, sjis, done);
  });
}

// --- The clock.

void UnitService::sync_clock(Done done) {
  queue([this, done = std::move(done)] {
    auto sync = std::make_shared<ClockSync>();
    if (const std::string why = sync->refusal(); !why.empty())
      return finish(done, {Outcome::Kind::refused, why});
    send_clock_step(sync, 1, 1, done);
  });
}

// Each step is built as it goes out, so the second is the one it arrives in.
void UnitService::send_clock_step(std::shared_ptr<ClockSync> sync, int step, int pass, Done done) {
  if (step > ClockSync::kSteps) {
    if (!sync->crossed()) return finish(done, {});
    if (pass == ClockSync::kPasses)
      return finish(done, {Outcome::Kind::refused, "every pass crossed a minute"});
    return send_clock_step(sync, 1, pass + 1, done);
  }
  const BulkStep next = sync->step(step);
  if (!next.command.sendable()) return finish(done, {Outcome::Kind::refused, sync->refusal()});
  ask(next.command.text, step < ClockSync::kSteps, [=, this](const Settled& settled) {
    const Outcome outcome = outcome_of(settled, true);
    if (!outcome.ok()) return finish(done, outcome);
    send_clock_step(sync, step + 1, pass, done);
  });
}

// Every input's title, one read at a time at the polls' priority, so that
// the polls go on between them.
void UnitService::read_titles() {
  if (reading_titles_) return;
  reading_titles_ = true;
  titles_read_.assign(static_cast<size_t>(inputs()), std::string());
  read_title(0);
}

void UnitService::read_title(int input) {
  if (input >= inputs()) return titles_read();
  const GatewayConfig& config = unit_.line->config();
  unit_.line->ask(Request{title_reader_, build_read_title(input).text, unit_.address_field(),
                          Priority::poll, config.retries,
                          std::chrono::milliseconds(config.timeout_ms), std::nullopt, false});
}

// A title the unit does not give (it went quiet) ends the reading; the
// labels stay as they were until it comes online again.
void UnitService::title_answered(const Settled& settled) {
  const int input = parse_decimal(std::string_view(settled.asked).substr(3), 2) - 1;
  if (settled.how != Settled::How::answered || input < 0 || input >= inputs()) {
    reading_titles_ = false;
    return;
  }
  if (take_answer(unit_, settled) == ResultCode::none)
    titles_read_[static_cast<size_t>(input)] =
        label_of_title(title_text(unit_.read.titles[static_cast<size_t>(input)]));
  read_title(input + 1);
}

void UnitService::titles_read() {
  reading_titles_ = false;
  std::vector<int> changed;
  for (size_t input = 0; input < titles_read_.size(); ++input)
    if (input >= labels_.size() || labels_[input] != titles_read_[input])
      changed.push_back(static_cast<int>(input));
  labels_ = std::move(titles_read_);
  titles_read_.clear();
  if (!changed.empty()) tell(Change::labels, changed);
}

}  // namespace orv::gateway
