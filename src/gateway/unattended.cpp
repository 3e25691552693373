#include "gateway/unattended.h"

#include <algorithm>

namespace orv::gateway {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr size_t kDriftLinesShown = 50;

std::string drift_detail(const std::vector<SettingDifference>& differences) {
  std::string detail =
      std::to_string(differences.size()) + " setting(s) differ from the approved file";
  for (size_t i = 0; i < differences.size() && i < kDriftLinesShown; ++i)
    detail += "\n" + difference_line(differences[i]);
  if (differences.size() > kDriftLinesShown)
    detail += "\n(and " + std::to_string(differences.size() - kDriftLinesShown) + " more)";
  return detail;
}

}  // namespace

Unattended::Unattended(asio::io_context& io, const GatewayConfig& config, std::deque<Unit>& units,
                       std::deque<UnitService>& services, Events& events)
    : config_(config),
      units_(services),
      events_(events),
      scheduler_(config.schedules, local_time_now(), steady_now()),
      timer_(io) {
  for (Unit& unit : units) {
    readers_.emplace_back(unit);
    if (unit.config.backups.empty())
      folders_.emplace_back();
    else
      folders_.emplace_back(BackupFolder(unit.config.backups, unit.config.keep, unit.config.model));
  }
}

Unattended::~Unattended() = default;

void Unattended::start() {
  if (!config_.schedules.empty()) wait_for_the_next_second();
}

void Unattended::stop() {
  stopped_ = true;
  timer_.cancel();
}

// A look just after each second of the computer's clock begins: a run at
// 08:00 is taken at 08:00:00 and a few milliseconds.
void Unattended::wait_for_the_next_second() {
  const int ms = local_time_now().millisecond;
  timer_.expires_after(milliseconds(1000 - ms + 5));
  timer_.async_wait([this](const error_code& cancelled) {
    if (cancelled || stopped_) return;
    look();
    wait_for_the_next_second();
  });
}

void Unattended::look() {
  for (const Scheduler::Due& due : scheduler_.look(local_time_now(), steady_now())) take(due);
  const auto now = steady_clock::now();
  std::vector<Pending> still;
  for (const Pending& p : pending_) {
    if (units_[p.unit].online())
      run(p.entry, p.unit);
    else if (now > p.deadline)
      missed(p.entry, p.unit, "offline until its late limit had passed");
    else
      still.push_back(p);
  }
  pending_ = std::move(still);
}

void Unattended::take(const Scheduler::Due& due) {
  const ScheduleEntry& entry = config_.schedules[due.entry];
  for (size_t unit : units_of(entry)) {
    if (due.missed) {
      missed(due.entry, unit, std::to_string(due.late_ms / 1000) + " s late");
    } else if (units_[unit].online()) {
      run(due.entry, unit);
    } else {
      // Once per entry and unit however often it falls due meanwhile.
      const auto deadline = steady_clock::now() + milliseconds(entry.late_ms - due.late_ms);
      const auto waiting = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) {
        return p.entry == due.entry && p.unit == unit;
      });
      if (waiting == pending_.end())
        pending_.push_back({due.entry, unit, deadline});
      else
        waiting->deadline = std::max(waiting->deadline, deadline);
    }
  }
}

bool Unattended::run_now(const std::string& name) {
  for (size_t entry = 0; entry < config_.schedules.size(); ++entry) {
    if (config_.schedules[entry].name != name) continue;
    take(Scheduler::Due{entry, 0, false});
    return true;
  }
  return false;
}

std::vector<size_t> Unattended::units_of(const ScheduleEntry& entry) const {
  std::vector<size_t> units;
  for (size_t i = 0; i < units_.size(); ++i)
    if (entry.units.empty() ||
        std::find(entry.units.begin(), entry.units.end(), units_[i].id()) != entry.units.end())
      units.push_back(i);
  return units;
}

void Unattended::missed(size_t entry, size_t unit, const std::string& why) {
  const ScheduleEntry& e = config_.schedules[entry];
  events_.record(units_[unit].id(), "missed",
                 "schedule " + e.name + " (" + e.action.text() + " " + e.when_text + "): " + why);
}

void Unattended::run(size_t entry, size_t unit) {
  const ScheduleEntry& e = config_.schedules[entry];
  UnitService& service = units_[unit];
  const std::string by = "schedule " + e.name + ": ";
  switch (e.action.kind) {
    case ScheduleAction::Kind::pattern:
      if (service.locked_by_another(0)) {
        events_.record(service.id(), "recall_failed", by + "a client holds a lock on an output");
        return;
      }
      return service.recall(e.action.pattern, [this, &service, by](const Outcome& outcome) {
        if (!outcome.ok()) events_.record(service.id(), "recall_failed", by + outcome.error);
      });
    case ScheduleAction::Kind::clock_sync:
      return service.sync_clock([this, &service, by](const Outcome& outcome) {
        if (!outcome.ok()) events_.record(service.id(), "clock_failed", by + outcome.error);
      });
    case ScheduleAction::Kind::backup:
      return backup(unit, [](const BackupInfo*, const std::string&) {});
    case ScheduleAction::Kind::compare:
      return compare(unit, [](const std::vector<SettingDifference>*, const std::string&) {});
  }
}

void Unattended::backup(size_t unit, BackedUp done) {
  const std::string id = units_[unit].id();
  if (!folders_[unit]) return done(nullptr, "unit " + id + " keeps no backups");
  readers_[unit].read(
      [this, unit, id, done](const DeviceSettings* settings, const std::string& error) {
        BackupInfo added;
        std::string failed = error;
        if (settings && !folders_[unit]->add(*settings, local_time_now(), added, failed))
          settings = nullptr;
        if (!settings) {
          events_.record(id, "backup_failed", failed);
          return done(nullptr, failed);
        }
        events_.record(
            id, "backup",
            added.name + (added.differences < 0 ? ", the first"
                                                : ", " + std::to_string(added.differences) +
                                                      " setting(s) differ from the previous"));
        done(&added, {});
      });
}

void Unattended::compare(size_t unit, Compared done) {
  const UnitConfig& config = units_[unit].unit().config;
  if (config.approved.empty()) return done(nullptr, "unit " + config.id + " has no approved file");
  DeviceSettings approved = settings_for_model(config.model);
  SettingsFileError bad;
  if (!load_settings_file(FilePath(config.approved), approved, bad)) {
    events_.record(config.id, "compare_failed", config.approved + ": " + bad.reason);
    return done(nullptr, config.approved + ": " + bad.reason);
  }
  const std::string id = config.id;
  readers_[unit].read(
      [this, id, approved, done](const DeviceSettings* settings, const std::string& error) {
        if (!settings) {
          events_.record(id, "compare_failed", error);
          return done(nullptr, error);
        }
        const auto differences = configuration_differences(approved, *settings);
        if (!differences.empty()) events_.record(id, "drift", drift_detail(differences));
        done(&differences, {});
      });
}

const BackupFolder* Unattended::backups(size_t unit) const {
  return folders_[unit] ? &*folders_[unit] : nullptr;
}

}  // namespace orv::gateway
