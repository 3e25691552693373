// The session: everything the program shares between its windows, in one
// object that the program creates once (and a test creates in one line).
// It knows the links only as the core's Link interface.
#pragma once

#include <optional>
#include <string>

#include "app/configuration.h"
#include "app/reply_presentation.h"
#include "link/dispatch.h"
#include "link/exchange.h"
#include "link/late_answers.h"
#include "link/link_events.h"
#include "link/traffic_log.h"
#include "protocol/channels.h"
#include "protocol/device_settings.h"
#include "status/status_grid.h"
#include "titles/glyph_insertion.h"

namespace orv {

struct Session {
  Configuration config;
  DeviceSettings settings;
  Exchange exchange;
  int slaveAddress = 0;  // 0..31, or kBroadcastAddress
  ChannelSelection inputChannel;
  ChannelSelection outputChannel;
  ChannelSelection videoOutputChannel;  // index into output channels 02..32
  int currentSwitchingPattern = 0;      // the switching pattern dialog's choice
  GlyphInsertion glyphInsertion;        // its registration number is the glyph editor's too
  StatusGrid status;
  bool statusWindowOpen = false;  // status replies are taken only while it is
  int statusPolls = 0;            // the poll counter, kept for the life of the program
  std::string awaitedGlyphCode;   // four hex digits of the last glyph read sent
  std::string askedCommand;       // the last command sent, without its CR LF
  Command lastCommand;            // the last command sent, as it was built
  bool lastToConverter = false;   // it went to the LAN converter
  LateAnswers lateAnswers;        // of a command that went out more than once
  TrafficLog traffic;             // every line sent and received
  // A whole read (read all, the converter read) stores its replies here, a
  // copy of the settings taken when it starts; the settings take it over
  // only when every reply came. Empty while no such read runs.
  std::optional<DeviceSettings> reading;
  // A box of the reply outcome is up: a line that comes while no reply is
  // awaited is counted (and marked in the traffic log), not reported again.
  bool outcome_box_up = false;
  // A backup or restore of every unit runs: it reports each outcome in its
  // own list, and timer 1 leaves the exchange to it.
  bool fleet_run_active = false;
  // The converter the client talks to closed the connection, and it has
  // not been opened again: a run that stops says so.
  bool closed_by_converter = false;
  int unasked_lines = 0;  // counted while that box is up

  Link* serial_link = nullptr;
  Link* tcp_link = nullptr;
  ProfileStore* profile = nullptr;  // where the configuration is kept

  SerialFraming framing() const;
  Route route() const;
};

// Applies a configuration read at start-up: the model it selects decides
// the number of inputs.
void apply_configuration(Session& session, const Configuration& config);

// Sends a command to the selected unit over the configured link (the LAN
// converter's commands over the serial line whatever the interface); a
// glyph read's code becomes the awaited glyph code. What goes out is
// recorded in the traffic log.
DispatchResult send_to_unit(Session& session, const Command& command);
DispatchResult send_to_converter(Session& session, const Command& command);
// The outstanding command, whose reply did not come in time, once more (a
// reply-paced run's retry); the traffic log marks it.
DispatchResult send_again(Session& session);

// A whole read: it starts from a copy of the settings; at its end the copy
// replaces them when the read completed, and is dropped otherwise (the
// settings, their file and their changed mark stay exactly as they were).
void begin_whole_read(Session& session);
void end_whole_read(Session& session, bool completed);

// The TCP/IP port, which is also the converter's: one value, kept in the
// configuration (port_number) and written to its file at once.
std::string_view port_number(const Session& session);
void set_port_number(Session& session, std::string_view text);

// What a handled link event asks the windows to do.
struct LinkEffects {
  bool glyph_updated = false;         // glyphBitmap replaced: repaint the glyph editor
  bool status_updated = false;        // the status grid changed: repaint what changed
  bool link_changed = false;          // a TCP/IP connection came or went: its dialog refreshes
  bool unasked_counted = false;       // unasked_lines grew: the status line says so
  std::string status_note;            // what the status line says now, if anything
  MessageBoxRequest box;              // what the operator must be shown
  bool close_current_dialog = false;  // the status window closes on a failure
};

inline constexpr std::string_view kSocketConnected = "Socket 接続 OK";
inline constexpr std::string_view kSocketEventError = "ソケットイベントにエラーが発生しました。";
inline constexpr std::string_view kClosedByConverter = "コンバータが TCP/IP の接続を閉じました。";

// One event of a link, on the window thread: a reply line goes down the
// road of its link (the serial road, or the socket road); a connection that
// fails or goes while its reply is awaited ends the exchange.
LinkEffects handle_link_event(Session& session, const LinkEvent& event);

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
