// Every line the program sent to a unit or a converter and every line it
// took from one, with the time, the link and the unit address: the last
// 5,000 of them, for the traffic log window and its file.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace orv {

struct TrafficLine {
  std::chrono::system_clock::time_point time;
  bool sent = true;  // false: received
  std::string link;  // "COM2", "127.0.1.57"
  std::string unit;  // "03", "Broadcast"; empty on RS-232C and TCP/IP
  std::string text;  // the line as it went or came, CR LF included
  // What the program made of it, when that is not the usual: "unasked" for
  // a line that came while no reply was awaited; for a failure of the link
  // (with an empty text), its message.
  std::string note = {};
};

class TrafficLog {
 public:
  static constexpr size_t kKeptLines = 5000;

  // Keeps the line with its secret masked (see mask_password).
  void record(TrafficLine line);
  void clear();

  const std::deque<TrafficLine>& lines() const { return lines_; }
  // Lines ever recorded: a window that showed the first N knows which are new.
  std::uint64_t recorded() const { return recorded_; }

 private:
  std::deque<TrafficLine> lines_;
  std::uint64_t recorded_ = 0;
};

// The password a line carries ("PN654321", the command that sets it or the
// reply that reads it back, behind a unit's address on RS-485) with each of
// its characters as "*": the log never holds it. Other lines as they are.
std::string mask_password(std::string_view text);

// One line as the window lists it and the file keeps it, its fields
// separated by tabs: "12:34:56.789\t→\tCOM2\t03\tOP01\r\n", and the note
// in a sixth field when there is one. Control bytes and bytes above 0x7E
// are written as escapes (\r, \n, \xHH).
std::string format_traffic_line(const TrafficLine& line);

// The whole log as a UTF-8 text file, one line each, CR LF.
std::string format_traffic_log(const TrafficLog& log);

}  // namespace orv
