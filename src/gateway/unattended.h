// What the gateway does on its own: the schedule's runs (a pattern recalled,
// a clock set, a backup, a comparison with the approved file), each unit's
// backups kept with their history, and the comparison of a unit with its
// approved settings file. A unit offline when a run falls due gets it when
// it comes back within the run's late limit, and is reported as missed
// after it. Everything it does is recorded as an event: "missed", "drift",
// "backup", "backup_failed", "clock_failed", "recall_failed".
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gateway/backups.h"
#include "gateway/events.h"
#include "gateway/schedule.h"
#include "gateway/unit_reader.h"
#include "gateway/unit_service.h"
#include "settings_file/settings_file.h"

namespace orv::gateway {

class Unattended {
 public:
  // `services[i]` serves `units[i]`.
  Unattended(boost::asio::io_context& io, const GatewayConfig& config, std::deque<Unit>& units,
             std::deque<UnitService>& services, Events& events);
  ~Unattended();
  Unattended(const Unattended&) = delete;
  Unattended& operator=(const Unattended&) = delete;

  void start();
  void stop();

  // A backup of the unit now: the backup, or nothing with the error.
  using BackedUp = std::function<void(const BackupInfo* backup, const std::string& error)>;
  void backup(size_t unit, BackedUp done);
  // The unit against its approved file now: the differences (empty when it
  // agrees), or nothing with the error.
  using Compared = std::function<void(const std::vector<SettingDifference>* differences,
                                      const std::string& error)>;
  void compare(size_t unit, Compared done);
  // The unit's backups, when it keeps them.
  const BackupFolder* backups(size_t unit) const;

  const Scheduler& scheduler() const { return scheduler_; }
  // Runs a schedule entry now on its units; false when there is none so named.
  bool run_now(const std::string& entry);

 private:
  struct Pending {
    size_t entry;
    size_t unit;
    std::chrono::steady_clock::time_point deadline;
  };
  void wait_for_the_next_second();
  void look();
  void take(const Scheduler::Due& due);
  void run(size_t entry, size_t unit);
  void missed(size_t entry, size_t unit, const std::string& why);
  std::vector<size_t> units_of(const ScheduleEntry& entry) const;

  const GatewayConfig& config_;
  std::deque<UnitService>& units_;
  Events& events_;
  std::deque<UnitReader> readers_;
  std::vector<std::optional<BackupFolder>> folders_;
  Scheduler scheduler_;
  std::vector<Pending> pending_;
  boost::asio::steady_timer timer_;
  bool stopped_ = false;
};

}  // namespace orv::gateway
