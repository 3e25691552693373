// The data replies of the unit and the LAN converter: recognised by their
// leading letters, validated whole (length and characters) and only then
// stored. The acknowledgement and the condition lines are recognised here
// too; what they do to the exchange with the unit is the reply roads' work
// (link/reply_roads.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/device_settings.h"

namespace orv {

// The outcome of a reply as the exchange records it: 0 nothing to report,
// 1..8 a condition the unit reported (8 also for a reply that its row
// rejects), 10 a failure already reported, which ends a running bulk run.
enum class ResultCode {
  none = 0,
  menu = 1,
  alarm = 2,
  lock = 3,
  mode_error = 4,
  framing_error = 5,
  parity_error = 6,
  over_run_error = 7,
  command_error = 8,
  reported = 10,
};

// The condition a whole line reports ("MENU\r\n" .. "E3\r\n"), or none.
ResultCode condition_code(std::string_view line);

// The name a condition is reported by (result codes 1..8), or empty.
std::string_view condition_text(ResultCode code);

enum class ReplyRoad { serial, socket };

// Where the status window takes the "OCD" and "OS" replies (status/).
class StatusReplies {
 public:
  virtual ~StatusReplies() = default;
  virtual bool take_output_state(std::string_view line, int inputCount) = 0;
  virtual bool take_output_selection(std::string_view line) = 0;
};

// Everything an accepted data reply may change.
struct ReplyTarget {
  DeviceSettings& settings;
  // The four hexadecimal digits of the last glyph read sent; a glyph reply
  // for any other code is rejected.
  std::string_view awaited_glyph_code;
  StatusReplies* status = nullptr;  // null: status replies have no taker
  bool glyph_updated = false;       // set when glyphBitmap was replaced
  // The command whose reply is awaited, without the unit's address and CR
  // LF; empty while none is. Only its answer is stored.
  std::string_view asked;
};

// no_row: no data reply begins so; unasked: a data reply that does not
// answer the command asked (nothing stored).
enum class RowOutcome { no_row, accepted, rejected, unasked };

// Whether `asked` (a command without its CR LF) is a read, answered by a
// data reply rather than "GO".
bool expects_data_reply(std::string_view asked);

// Whether a data reply answers the read `asked`: "ROP07" is answered by
// "OP07…", "RCTI" by "CTI…", the pattern in force ("ROP") by "OPnn" alone.
// A command that sets something has no data reply.
bool answers(std::string_view asked, std::string_view line);

// Runs the table of data replies: the first row whose prefix begins the
// line parses it. "EMA" (the converter's MAC address) is a row of the serial
// road only.
RowOutcome dispatch_reply_line(ReplyTarget& target, std::string_view line, ReplyRoad road);

// The glyph code a glyph read asks for ("RFBMx" + four digits), to be
// remembered as the awaited glyph code; nothing for other commands.
std::optional<std::string> requested_glyph_code(std::string_view read_command);

}  // namespace orv
