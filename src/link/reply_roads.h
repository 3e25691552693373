// What a reply line does to the exchange that asked: the acknowledgement,
// a condition, or a data reply stored through the table of
// protocol/replies.h. The serial line and TCP/IP take the same rules; they
// differ only in the rows they know ("EMA" comes over the serial line only)
// and in that a line over TCP/IP shows the connection works again.
#pragma once

#include <string_view>

#include "link/conversation.h"
#include "link/dispatch.h"
#include "link/exchange.h"
#include "protocol/replies.h"

namespace orv {

// One line (without the unit's address) on `exchange`. The acknowledgement
// is the line "GO" and nothing else, and only of a command that sets
// something; a read is answered by its data reply alone. A data reply is
// stored only when it answers the command asked (target.asked). Anything
// else that answers, or a line while nothing is awaited, is "Command
// Error"; a condition line is that condition.
void take_reply(Exchange& exchange, ReplyTarget& target, ReplyRoad road, std::string_view line);

// How the requester's command ended, applied to its exchange: an answer
// goes down the road; a late reply, a failed link and a Broadcast are
// recorded as such. An unanswered command on TCP/IP ("Answer が､きません")
// or a failed link is `send_failed`, with the warning the operator sees.
DispatchResult take_settled(Exchange& exchange, ReplyTarget& target, ReplyRoad road,
                            const Settled& settled);

}  // namespace orv
