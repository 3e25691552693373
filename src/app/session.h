// The session: everything the program shares between its windows, in named
// parts, in one object that the program creates once (and a test creates in
// one line). It knows the links only as the core's Link interface.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>

#include "app/box_guard.h"
#include "app/configuration.h"
#include "app/reply_presentation.h"
#include "link/connection.h"
#include "link/conversation.h"
#include "link/dispatch.h"
#include "link/exchange.h"
#include "link/link_events.h"
#include "link/server_places.h"
#include "link/traffic_log.h"
#include "protocol/channels.h"
#include "protocol/device_settings.h"
#include "status/status_grid.h"
#include "titles/glyph_insertion.h"

namespace orv {

// The settings the operator edits and keeps in files.
struct Document {
  DeviceSettings settings;
  // A whole read (read all, the converter read) stores its replies here, a
  // copy of the settings taken when it starts; the settings take it over
  // only when every reply came. Empty while no such read runs.
  std::optional<DeviceSettings> reading;
};

// The choices the dialogs share.
struct Selections {
  int slaveAddress = 0;  // 0..31, or kBroadcastAddress
  ChannelSelection inputChannel;
  ChannelSelection outputChannel;
  ChannelSelection videoOutputChannel;  // index into output channels 02..32
  int currentSwitchingPattern = 0;      // the switching pattern dialog's choice
  GlyphInsertion glyphInsertion;        // its registration number is the glyph editor's too
};

// The status window's part: what each output shows, and the poll counter
// kept for the life of the program.
struct StatusMonitor {
  StatusGrid grid;
  bool open = false;  // status replies are taken only while it is
  int polls = 0;
};

// The operator's road: the requester behind every dialog and the main
// window, whose outcome timer 1 reports. It asks on the conversation of the
// selected unit (or place), or of the serial line for the converter.
struct OperatorRoad {
  Exchange exchange;
  std::string awaitedGlyphCode;  // four hex digits of the last glyph read sent
  Connection asked_on;           // where its last command went
  // The converter the client talks to closed the connection, and it has
  // not been opened again: a run that stops says so.
  bool closed_by_converter = false;
};
inline constexpr RequesterId kOperatorRequester = 0;

// A requester other than the operator (a backup or restore of every unit):
// how each of its commands ended reaches it here.
class Requester {
 public:
  virtual ~Requester() = default;
  virtual void settled(const Settled& settled) = 0;
};

// Every connection's conversation and the links that carry their bytes, the
// TCP/IP server's places, the program's clock and the traffic log.
struct Lines {
  Conversation serial;
  Conversation client;
  std::array<Conversation, kServerPlaces + 1> places;  // [0] unused
  ServerPlaces server;
  Link* serial_link = nullptr;
  Link* client_link = nullptr;
  // The server as the operator's commands see it: ready once a converter
  // was picked (until 切断), sending to the picked place.
  Link* picked_place = nullptr;
  std::array<Link*, kServerPlaces + 1> place_links{};
  // Timer 1's ticks as time: every conversation of the program keeps time
  // by it, so a reply is late on the fifteenth tick after its command.
  Instant clock{};
  TrafficLog traffic;

  Conversation* conversation_of(Connection connection);
  Link* link_of(Connection connection) const;
};

struct Session {
  Configuration config;
  Document document;
  Selections selections;
  OperatorRoad operator_road;
  Lines lines;
  StatusMonitor monitor;
  BoxGuard boxes;
  std::map<RequesterId, Requester*> requesters;
  ProfileStore* profile = nullptr;  // where the configuration is kept

  SerialFraming framing() const;
  // The connection commands to the selected unit go out on.
  Connection selected_connection() const;
  // The way there, for a requester; `to_converter`: the LAN converter's
  // commands, over the serial line whatever the interface.
  Route route(bool to_converter = false);
};

// Applies a configuration read at start-up: the model it selects decides
// the number of inputs.
void apply_configuration(Session& session, const Configuration& config);

// A whole read: it starts from a copy of the settings; at its end the copy
// replaces them when the read completed, and is dropped otherwise (the
// settings, their file and their changed mark stay exactly as they were).
void begin_whole_read(Session& session);
void end_whole_read(Session& session, bool completed);

// The TCP/IP port, which is also the converter's: one value, kept in the
// configuration (port_number) and written to its file at once.
std::string_view port_number(const Session& session);
void set_port_number(Session& session, std::string_view text);

}  // namespace orv
