#include "gateway/events.h"

#include <cstdio>
#include <ctime>

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
  const int minutes = static_cast<int>((offset < 0 ? -offset : offset) / 60 % (24 * 60));
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return std::string(text) + zone;
}

void Events::record(const std::string& unit, std::string_view kind, const std::string& detail) {
  std::string line = iso_time_now() + " ";
  if (!unit.empty()) line += "unit " + unit + ": ";
  line.append(kind);
  if (!detail.empty()) line += " (" + detail + ")";
  line += "\n";
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

}  // namespace orv::gateway
