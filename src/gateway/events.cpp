#include "gateway/events.h"

#include <cstdio>
#include <ctime>
#include <vector>

namespace orv::gateway {

std::string iso_time_now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
  std::tm as_utc = local;
  const long offset = static_cast<long>(_mkgmtime(&as_utc) - now);
#else
  localtime_r(&now, &local);
  std::tm as_utc = local;
  const long offset = static_cast<long>(timegm(&as_utc) - now);
#endif
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  const int minutes = static_cast<int>((offset < 0 ? -offset : offset) / 60 % (24L * 60));
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return std::string(text) + zone;
}

std::string event_text(const Event& event) {
  return (event.unit.empty() ? "" : "unit " + event.unit + ": ") + event.kind +
         (event.detail.empty() ? "" : " (" + event.detail + ")");
}

bool is_warning(const Event& event) {
  return event.kind == "offline" || event.kind == "missed" || event.kind == "drift" ||
         event.kind.ends_with("failed") || event.kind == "line lost";
}

void Events::record(const std::string& unit, std::string_view kind, const std::string& detail) {
  const Event event{iso_time_now(), unit, std::string(kind), detail};
  const std::string line = event.at + " " + event_text(event) + "\n";
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
  std::vector<Listener> told;
  for (const auto& [id, listener] : listeners_) told.push_back(listener);
  for (const Listener& listener : told) listener(event);
}

int Events::listen(Listener listener) {
  listeners_.emplace(next_listener_, std::move(listener));
  return next_listener_++;
}

void Events::unlisten(int listener) {
  listeners_.erase(listener);
}

}  // namespace orv::gateway
