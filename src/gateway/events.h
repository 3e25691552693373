// What the gateway records as it serves: a unit going offline or coming
// online, a line lost or back. One line each on standard error (the
// console, or the service's journal), with the time and its offset.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orv::gateway {

// The local time as ISO 8601 with its offset: "2026-12-08T09:30:00+01:00".
std::string iso_time_now();

class Events {
 public:
  explicit Events(std::FILE* out = stderr) : out_(out) {}
  virtual ~Events() = default;

  // `unit` the unit's id (empty for the gateway itself), `kind` a word
  // ("online", "offline", "line"), `detail` what more there is to say.
  virtual void record(const std::string& unit, std::string_view kind, const std::string& detail);

 private:
  std::FILE* out_;
};

}  // namespace orv::gateway
