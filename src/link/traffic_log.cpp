#include "link/traffic_log.h"

#include <ctime>

#include "protocol/number_text.h"

namespace orv {
namespace {

std::tm local_time(std::time_t seconds) {
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &seconds);
#else
  localtime_r(&seconds, &parts);
#endif
  return parts;
}

std::string clock_text(std::chrono::system_clock::time_point time) {
  const auto since_epoch = time.time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch - seconds).count();
  const std::tm t = local_time(static_cast<std::time_t>(seconds.count()));
  return decimal_text(t.tm_hour, 2) + ":" + decimal_text(t.tm_min, 2) + ":" +
         decimal_text(t.tm_sec, 2) + "." + decimal_text(static_cast<int>(millis), 3);
}

std::string escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (byte < 0x20 || byte > 0x7E) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string mask_password(std::string_view text) {
  std::string masked(text);
  const std::string_view address = text.substr(0, 2);
  const size_t start =
      address.size() == 2 && (is_decimal_digits(address) || address == "FF") ? 2 : 0;
  if (text.substr(start, 2) != "PN") return masked;
  for (size_t i = start + 2; i < masked.size() && masked[i] != '\r' && masked[i] != '\n'; ++i)
    masked[i] = '*';
  return masked;
}

void TrafficLog::record(TrafficLine line) {
  line.text = mask_password(line.text);
  lines_.push_back(std::move(line));
  if (lines_.size() > kKeptLines) lines_.pop_front();
  ++recorded_;
}

void TrafficLog::clear() {
  lines_.clear();
}

std::string format_traffic_line(const TrafficLine& line) {
  return clock_text(line.time) + "\t" + (line.sent ? "→" : "←") + "\t" + line.link + "\t" +
         line.unit + "\t" + escaped(line.text) + (line.note.empty() ? "" : "\t(" + line.note + ")");
}

std::string format_traffic_log(const TrafficLog& log) {
  std::string text;
  for (const TrafficLine& line : log.lines()) text += format_traffic_line(line) + "\r\n";
  return text;
}

}  // namespace orv
