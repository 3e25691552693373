// What the gateway records as it serves: a unit going offline or coming
// online, a line lost or back. One line each on standard error (the
// console, or the service's journal), with the time and its offset.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace orv::gateway {

// The local time as ISO 8601 with its offset: "2026-12-08T09:30:00+01:00".
std::string iso_time_now();

struct Event {
  std::string at;    // iso_time_now() when it was recorded
  std::string unit;  // the unit's id; empty for the gateway itself
  std::string kind;  // a word: "online", "offline", "line lost", ...
  std::string detail;
};

// "unit a: offline (three polls in a row without an answer)".
std::string event_text(const Event& event);
// Whether the event says something is wrong (offline, missed, drift, a
// failure, a line lost): a warning in the system's log.
bool is_warning(const Event& event);

class Events {
 public:
  explicit Events(std::FILE* out = stderr) : out_(out) {}
  virtual ~Events() = default;

  // `unit` the unit's id (empty for the gateway itself), `kind` a word
  // ("online", "offline", "line"), `detail` what more there is to say.
  virtual void record(const std::string& unit, std::string_view kind, const std::string& detail);

  // Those who follow the events as they are recorded (the HTTP event stream).
  using Listener = std::function<void(const Event& event)>;
  int listen(Listener listener);
  void unlisten(int listener);

 private:
  std::FILE* out_;
  std::map<int, Listener> listeners_;
  int next_listener_ = 1;
};

}  // namespace orv::gateway
