// The links' events on the window thread: the message-only window that
// takes them (and the sockets' events and the links' timers), each event
// handed to the session, and what the session asks for shown: repaints,
// the status line, boxes (through the box guard, since a box runs its own
// message loop while events keep coming) and the runs to wake.
#pragma once

#include "win/base/program.h"

namespace orv::win {

// Creates the link event window; false when it cannot be created.
bool create_link_window(Program& program);

// Shows what the session asked for after a send, an event or a tick.
void show_effects(Program& program, const LinkEffects& effects);

// Timer 1's tick: every conversation hears it, then what they settled is shown.
void tick_links(Program& program);

}  // namespace orv::win
