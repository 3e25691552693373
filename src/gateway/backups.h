// A unit's backups: ordinary settings files in a folder of its own, named by
// the local date and time they were read ("20261208-083000.dat"), the last
// N kept. Comparisons here are of configuration: what a unit gives back
// after a set all (no free layout, no converter fields), without the
// pattern in force (live routing, which a backup keeps), the password
// masked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bulk/clock_sync.h"
#include "protocol/device_settings.h"
#include "settings_file/settings_diff.h"

namespace orv::gateway {

std::vector<SettingDifference> configuration_differences(const DeviceSettings& a,
                                                         const DeviceSettings& b);

// "password: ****** | ******", "titles ch.04: ... | ...": one line each.
std::string difference_line(const SettingDifference& difference);

struct BackupInfo {
  std::string name;      // "20261208-083000.dat"
  std::string time;      // "2026-12-08T08:30:00", local
  int differences = -1;  // from the backup before it; -1 for the first
};

class BackupFolder {
 public:
  BackupFolder(std::string folder, int keep, int model);

  // Writes `settings` as the backup of `at`, then drops the oldest beyond
  // `keep`. False, with `error`, when it cannot be written.
  bool add(const DeviceSettings& settings, const LocalTime& at, BackupInfo& added,
           std::string& error);
  // Oldest first, each with its differences from the one before.
  std::vector<BackupInfo> list() const;
  // What backup `a` and backup `b` hold differently; nothing, with `error`,
  // when either is not a backup of this folder or cannot be read.
  std::optional<std::vector<SettingDifference>> differences(const std::string& a,
                                                            const std::string& b,
                                                            std::string& error) const;

 private:
  std::vector<std::string> names() const;  // oldest first
  std::optional<DeviceSettings> load(const std::string& name, std::string& error) const;

  std::string folder_;
  int keep_;
  int model_;
};

}  // namespace orv::gateway
