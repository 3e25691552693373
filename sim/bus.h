// The line the units hang on: RS-232C with one unit, or an RS-485 bus of up
// to 32 addressed units, with the LAN converter beside them.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clock.h"
#include "converter.h"
#include "unit.h"

namespace sim {

enum class LineKind { rs232c, rs485 };

inline constexpr int kMaxUnits = 32;
inline constexpr size_t kMaxLineBytes = 2048;

// Cuts received bytes into lines at each LF. A line that outgrows the
// buffer is dropped up to its LF, so noise cannot wedge the line.
class LineSplitter {
 public:
  std::vector<std::string> feed(std::string_view bytes);

 private:
  std::string pending_;
  bool discarding_ = false;
};

struct LogEntry {
  Millis at_ms;        // since the simulator started
  std::string target;  // "00".."31", "FF" for Broadcast, "--" for no such unit
  std::string raw;     // the line as received, CR LF included
};

class Bus {
 public:
  Bus(Model model, LineKind line, int units, bool reply_address, const Clock& clock);

  // Handles one received line. `addressed` is false on a TCP connection,
  // where lines carry no address field and go to the first unit. Returns
  // the reply to send, if any unit answers.
  std::optional<std::string> handle_line(std::string_view raw, bool addressed);

  Unit* unit(int address);
  int unit_count() const { return static_cast<int>(units_.size()); }
  LineKind line() const { return line_; }
  Converter& converter() { return converter_; }

  // Every unit and the converter back to their factory state; the log emptied.
  void factory_reset();

  const std::vector<LogEntry>& log() const { return log_; }
  void clear_log() { log_.clear(); }

  // Called with one line per received command and per reply (for -v).
  std::function<void(const std::string&)> trace;

 private:
  std::string answer(Unit& unit, std::string_view command);
  void record(std::string target, std::string_view raw);

  Model model_;
  LineKind line_;
  bool reply_address_;
  const Clock& clock_;
  Millis started_;
  std::vector<std::unique_ptr<Unit>> units_;
  Converter converter_;
  std::vector<LogEntry> log_;
};

}  // namespace sim
