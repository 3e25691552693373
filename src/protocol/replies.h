// Reply reception: every line a unit or the LAN converter sends back is an
// acknowledgement ("GO"), a condition report, or a data reply that is
// validated whole and only then stored.
#pragma once

#include <string_view>

namespace orv {

struct AppState;

enum class ReplyRoad { serial, socket };

// What a handled reply asks the windows to do.
struct ReplyEffects {
  bool glyph_updated = false;   // glyphBitmap replaced: repaint the glyph editor
  bool status_updated = false;  // the status grid changed: repaint the status window
};

// One complete line from the serial reader (with its CR LF). On RS-485 a
// leading address equal to the selected unit's is dropped first.
ReplyEffects handle_serial_reply(AppState& state, std::string_view line);

// One received TCP/IP chunk (`chunk.size()` is the received length). Lines
// are reassembled across chunks; a chunk holding several lines is examined
// as one line, by its beginning.
ReplyEffects handle_socket_reply(AppState& state, std::string_view chunk);

// Runs the data reply table. Returns false when no row's prefix matches.
// A matching row that rejects the line sets result_code 8 and stores nothing.
bool dispatch_reply_line(AppState& state, std::string_view line, ReplyRoad road,
                         ReplyEffects& effects);

// Remembers the glyph code a glyph read asks for ("RFBMx" + four digits), so
// that only the answer to it is taken; call it with every glyph read sent.
void remember_glyph_request(AppState& state, std::string_view read_command);

// Result code of a condition line ("MENU\r\n" 1 .. "E3\r\n" 8), or 0.
int condition_code(std::string_view line);

}  // namespace orv
