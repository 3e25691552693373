// The simulator without its transports: the buses, what links to them, the
// reply shaping, and the control channel's commands. The server (server.h)
// moves bytes between this and the pty and sockets; tests drive it directly.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "bus.h"
#include "faults.h"
#include "options.h"

namespace sim {

struct Outgoing {
  Millis due_ms;
  std::string bytes;
};

// A line from the program, and when its last byte has reached the unit.
struct Incoming {
  Millis due_ms;
  std::string line;
};

// The program's end of one connection: a pty or a TCP socket.
struct Link {
  Link(std::string link_name, Bus& link_bus, bool link_addressed)
      : name(std::move(link_name)), bus(link_bus), addressed(link_addressed) {}
  std::string name;
  Bus& bus;
  bool addressed;  // lines carry an RS-485 address field (serial line only)
  LineSplitter splitter;
  std::deque<Outgoing> outgoing;
  Millis busy_until = 0;  // the reply direction is taken until then
  std::deque<Incoming> incoming;
  Millis arriving_until = 0;  // the command direction is taken until then
};

class Simulator {
 public:
  Simulator(const Options& options, const Clock& clock);

  // "main" (the pty and --listen connections) or "c1".."cN" (--connect).
  Bus* find_bus(std::string_view name);
  Bus& main_bus() { return *buses_.at("main"); }
  ReplyShaper& shaper() { return shaper_; }
  const Clock& clock() const { return clock_; }

  // Bytes from the program: every complete line goes to the bus once its
  // bytes have crossed the line (at once without --baud), and its reply,
  // shaped, is queued on the link. Each link is a line of its own.
  void receive(Link& link, std::string_view bytes);
  // Hands the bus the lines whose bytes have arrived by now; returns when
  // the next one will have (0: none waits).
  Millis act_on_arrived(Link& link);

  // One control line; the answer ends in a line "OK ..." or "ERR ...".
  std::string control(std::string_view line);

  // What the control channel asks of the transports; set by the server.
  std::function<std::string(const std::string&)> drop_links;
  std::function<std::string(const std::string&)> reconnect_links;
  std::function<std::string()> list_links;
  std::function<std::string(bool plug)> plug_serial;  // false: unplug
  std::function<std::string(const std::string& link, const std::string& bytes)> send_raw;
  std::function<void(const std::string&)> trace;

 private:
  std::string fault_command(const std::vector<std::string>& words);
  std::string output_command(const std::vector<std::string>& words);
  std::string panel_command(const std::vector<std::string>& words);
  std::string get_command(const std::vector<std::string>& words);
  std::string log_command(const std::vector<std::string>& words);
  std::string units_command();
  // "05" on the main bus, or "c2:00" on a converter's bus.
  std::pair<Bus*, Unit*> find_unit(const std::string& unit);

  const Clock& clock_;
  std::map<std::string, std::unique_ptr<Bus>> buses_;
  void act(Link& link, const std::string& line, Millis at);

  ReplyShaper shaper_;
};

extern const char* const kControlHelp;

}  // namespace sim
