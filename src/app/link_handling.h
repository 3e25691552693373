// The session's side of the links, on the window thread: the operator's
// commands going out, every link event coming in (a reply line goes to the
// conversation of its connection, and from there to the requester that
// asked), and timer 1's tick moving every conversation's clock on.
#pragma once

#include <string>
#include <vector>

#include "app/session.h"

namespace orv {

// What a send, a handled link event or a tick asks the windows to do.
struct LinkEffects {
  bool glyph_updated = false;         // glyphBitmap replaced: repaint the glyph editor
  bool status_updated = false;        // the status grid changed: repaint what changed
  bool link_changed = false;          // a TCP/IP connection came or went: its dialog refreshes
  bool unasked_counted = false;       // the box guard counted a line: the status line says so
  std::string status_note;            // what the status line says now, if anything
  MessageBoxRequest box;              // what the operator must be shown
  bool close_current_dialog = false;  // the status window closes on a failure
  // The requesters one of whose commands settled, for their runs to go on.
  std::vector<RequesterId> settled;
};

inline constexpr std::string_view kSocketConnected = "Socket 接続 OK";
inline constexpr std::string_view kSocketEventError = "ソケットイベントにエラーが発生しました。";
inline constexpr std::string_view kClosedByConverter = "コンバータが TCP/IP の接続を閉じました。";

// The operator's command to the selected unit over the configured link, or
// (ask_converter) to the LAN converter over the serial line whatever the
// interface. `retries`: more tries of a late reply (a reply-paced run's). A
// glyph read's code becomes the awaited glyph code. What goes out is
// recorded in the traffic log.
LinkEffects ask_unit(Session& session, const Command& command, int retries = 0);
LinkEffects ask_converter(Session& session, const Command& command, int retries = 0);

// The operator's exchange ends (a dialog closes, a run is cancelled:
// reset_reply_state), and so does its command on every conversation: its
// answer, when it comes, goes to nobody and no time-out is reported.
void abandon_operator(Session& session);

// Another requester's command, on the conversation of `to` (`address`: its
// unit on an RS-485 bus), marked in that requester's `exchange`.
LinkEffects ask_on(Session& session, Connection to, int address, const Command& command,
                   const Asking& asking, Exchange& exchange);

// Writes what the conversation of `connection` hands out now.
LinkEffects write_what_waits(Session& session, Connection connection);

// One event of a link: a reply line goes to the conversation of its
// connection and from there to the requester that asked (the operator's
// exchange, or another requester); a line nobody asked for of the
// operator's connection goes down the operator's road, unless the box
// guard only counts it; a connection that fails or goes ends the commands
// waiting on it.
LinkEffects handle_link_event(Session& session, const LinkEvent& event);

// Timer 1's tick: the program's clock moves on one tick, and every
// conversation hears it (a late reply is asked for again, or its command
// ends unanswered).
LinkEffects tick_conversations(Session& session);

// The failure an event reports, as one cause for all its repeats ("the
// accept() error" whatever its code): empty for an event that is no failure
// of the link. While the box of a cause is up, its repeats are only counted.
std::string failure_cause(const LinkEvent& event);
// A repeat of a failure whose box is up: recorded in the traffic log.
void record_repeated_failure(Session& session, const LinkEvent& event);

// What the status line says while a lost serial port is being opened
// again, and once it is.
std::string port_lost_note(std::string_view port);
std::string port_back_note(std::string_view port);

// What the status line says of the lines and failures counted while a box
// was up.
std::string unasked_lines_note(int count);
std::string repeated_failures_note(const std::string& cause, int count);

}  // namespace orv
