#include "gateway/events.h"

#include <ctime>

namespace orv::gateway {

std::string iso_time_now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  const std::string iso(text);
  if (iso.size() < 5) return iso;
  return iso.substr(0, iso.size() - 2) + ":" + iso.substr(iso.size() - 2);  // +0100 -> +01:00
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
