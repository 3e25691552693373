// The two roads a reply line takes into the program. Both run the same
// table of data replies (protocol/replies.h); they differ in what counts as
// an acknowledgement and what a line nobody recognises means.
#pragma once

#include <string_view>

#include "link/exchange.h"
#include "link/framing.h"
#include "protocol/replies.h"

namespace orv {

// One line from the serial line (with its CR LF). On RS-485 the selected
// unit's address is dropped first. "GO" acknowledges only while a reply is
// awaited; a line that matches nothing is "Command Error"; a data reply is
// stored only when it answers the command asked (target.asked), is
// "Command Error" while another one is awaited, and changes nothing when
// none is.
void handle_serial_reply(Exchange& exchange, ReplyTarget& target, const SerialFraming& framing,
                         std::string_view line);

// One line from a TCP/IP connection: as on the serial road, except that a
// line beginning "GO" acknowledges.
void handle_socket_reply(Exchange& exchange, ReplyTarget& target, std::string_view line);

}  // namespace orv
