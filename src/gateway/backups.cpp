#include "gateway/backups.h"

#include <algorithm>
#include <cstdio>

#include "settings_file/file_system.h"
#include "settings_file/settings_file.h"

namespace orv::gateway {
namespace {

constexpr const char* kMasked = "******";

// "20261208-083000.dat": 8 digits, '-', 6 digits, ".dat".
bool is_backup_name(const std::string& name) {
  if (name.size() != 19 || name[8] != '-' || !name.ends_with(".dat")) return false;
  for (size_t i = 0; i < 15; ++i)
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return false;
  return true;
}

std::string name_of(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d.dat", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string time_of(const std::string& name) {
  return name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + "T" +
         name.substr(9, 2) + ":" + name.substr(11, 2) + ":" + name.substr(13, 2);
}

}  // namespace

std::vector<SettingDifference> configuration_differences(const DeviceSettings& a,
                                                         const DeviceSettings& b) {
  std::vector<SettingDifference> differences;
  for (SettingDifference& d : settings_differences(a, b, Compared::what_a_unit_gives_back)) {
    if (d.name == "currentScreenPattern") continue;
    if (d.name == "password") d.left = d.right = kMasked;
    differences.push_back(std::move(d));
  }
  return differences;
}

std::string difference_line(const SettingDifference& d) {
  return d.name + ": " + d.left + " | " + d.right;
}

BackupFolder::BackupFolder(std::string folder, int keep, int model)
    : folder_(std::move(folder)), keep_(keep), model_(model) {}

std::vector<std::string> BackupFolder::names() const {
  std::vector<std::string> names;
  for (std::string& name : files_in(FilePath(folder_)))
    if (is_backup_name(name)) names.push_back(std::move(name));
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<DeviceSettings> BackupFolder::load(const std::string& name,
                                                 std::string& error) const {
  DeviceSettings settings = settings_for_model(model_);
  SettingsFileError bad;
  if (!load_settings_file(FilePath(folder_) / name, settings, bad))
    return error = name + ": " + bad.reason, std::nullopt;
  return settings;
}

bool BackupFolder::add(const DeviceSettings& settings, const LocalTime& at, BackupInfo& added,
                       std::string& error) {
  if (!make_folders(FilePath(folder_), error)) return false;
  const std::vector<std::string> before = names();
  added = {name_of(at), time_of(name_of(at)), -1};
  if (!save_settings_file(FilePath(folder_) / added.name, settings, error)) return false;
  std::string unreadable;
  const auto it = std::find_if(before.rbegin(), before.rend(),
                               [&](const std::string& n) { return n < added.name; });
  if (it != before.rend())
    if (const auto previous = load(*it, unreadable))
      added.differences = static_cast<int>(configuration_differences(*previous, settings).size());
  // The oldest beyond `keep` go, never the one just written (a clock put
  // back names it older than the rest).
  const std::vector<std::string> kept = names();
  for (size_t i = 0; i + static_cast<size_t>(keep_) < kept.size(); ++i)
    if (kept[i] != added.name) remove_file(FilePath(folder_) / kept[i]);
  return true;
}

std::vector<BackupInfo> BackupFolder::list() const {
  std::vector<BackupInfo> list;
  std::optional<DeviceSettings> previous;
  for (const std::string& name : names()) {
    std::string unreadable;
    std::optional<DeviceSettings> settings = load(name, unreadable);
    BackupInfo info{name, time_of(name), -1};
    if (previous && settings)
      info.differences = static_cast<int>(configuration_differences(*previous, *settings).size());
    list.push_back(std::move(info));
    previous = std::move(settings);
  }
  return list;
}

std::optional<std::vector<SettingDifference>> BackupFolder::differences(const std::string& a,
                                                                        const std::string& b,
                                                                        std::string& error) const {
  const std::vector<std::string> all = names();
  for (const std::string& name : {a, b})
    if (std::find(all.begin(), all.end(), name) == all.end())
      return error = "no backup " + name, std::nullopt;
  const auto left = load(a, error);
  const auto right = left ? load(b, error) : std::nullopt;
  if (!left || !right) return std::nullopt;
  return configuration_differences(*left, *right);
}

}  // namespace orv::gateway
