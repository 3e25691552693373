#include "simulator.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "text.h"

namespace sim {

const char* const kControlHelp =
    "commands (one per line; every answer ends in a line OK ... or ERR ...):\n"
    "  help                                 this text\n"
    "  fault silence [N|all]                the next N replies (default 1), or all, are not sent\n"
    "  fault condition CODE [N|all]         replies become CODE: MENU ALARM LOCK GN E0 E1 E2 E3\n"
    "  fault reply TEXT [N|all]             replies become the line TEXT (GO, GO#, ...)\n"
    "  fault garble [N|all]                 replies get '#' for their first letter\n"
    "  fault split PARTS PAUSE_MS [N|all]   replies go out in PARTS pieces, PAUSE_MS apart\n"
    "  fault ... [after K] [on PREFIX]      from the K-th reply on; only replies to commands\n"
    "     [link NAME] [unit UNIT]           that begin with PREFIX, on link NAME (tcp1, c57),\n"
    "                                       of unit UNIT (05) count\n"
    "  send LINK TEXT                       TEXT on LINK as if a unit sent it (\\r \\n \\xHH)\n"
    "  fault clear                          no more faults\n"
    "  fault                                the fault in force\n"
    "  delay MS                             every reply waits MS longer (0: no delay)\n"
    "  drop [all|serial|tcp|NAME]           close links (TCP connections, converters c1..cN)\n"
    "  unplug / plug                        the serial line's adapter out (the pty hangs up,\n"
    "                                       its path goes) / in again (a new pty, same path)\n"
    "  connect [all|cN]                     let dropped converters connect again\n"
    "  links                                the links and their state\n"
    "  output UNIT OUT I05|S02|auto         make output OUT (1..32) of UNIT show an input or a\n"
    "                                       switching pattern, or follow its layout again\n"
    "  panel UNIT pattern NN|FR             recall a pattern (or the free layout) at the unit's\n"
    "                                       front panel\n"
    "  get UNIT READ                        what UNIT answers to a read command, e.g. get 05 RCTI\n"
    "  get UNIT clock                       UNIT's calendar clock\n"
    "  log [BUS] [UNIT]                     every line received, with seconds since start\n"
    "  log clear [BUS]                      forget the log\n"
    "  units                                the buses and their units\n"
    "  factory                              every unit and converter back to its factory\n"
    "                                       state, every log emptied\n"
    "UNIT is 00..31 on the main bus, or cN:00 for converter N's unit; BUS is main or cN.\n";

namespace {

std::vector<std::string> words_of(std::string_view line) {
  std::vector<std::string> words;
  std::istringstream in{std::string(line)};
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string ok(const std::string& text = "") {
  return text.empty() ? "OK\n" : "OK " + text + "\n";
}
std::string err(const std::string& text) {
  return "ERR " + text + "\n";
}

// "N" or "all" at words[at]; 1 when absent.
std::optional<int> count_word(const std::vector<std::string>& words, size_t at) {
  if (words.size() <= at) return 1;
  if (words[at] == "all") return -1;
  const auto n = number(words[at], words[at].size(), 1, 1000000);
  return n;
}

std::string seconds_text(Millis ms) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld.%03lld", static_cast<long long>(ms / 1000),
                static_cast<long long>(ms % 1000));
  return buffer;
}

}  // namespace

Simulator::Simulator(const Options& options, const Clock& clock) : clock_(clock) {
  buses_["main"] = std::make_unique<Bus>(options.model, options.line, options.units,
                                         options.reply_address, clock);
  if (options.connect)
    for (int i = 1; i <= options.converters; ++i)
      buses_[std::string("c").append(std::to_string(i))] =
          std::make_unique<Bus>(options.model, LineKind::rs232c, 1, false, clock);
  shaper_.set_baud(options.baud);
  shaper_.set_reply_delay(options.reply_delay_ms);
}

Bus* Simulator::find_bus(std::string_view name) {
  const auto found = buses_.find(std::string(name));
  return found == buses_.end() ? nullptr : found->second.get();
}

void Simulator::receive(Link& link, std::string_view bytes) {
  for (std::string& line : link.splitter.feed(bytes)) {
    const Millis start = std::max(clock_.now_ms(), link.arriving_until);
    link.arriving_until = start + shaper_.transmit_ms(line.size());
    link.incoming.push_back(Incoming{link.arriving_until, std::move(line)});
  }
  act_on_arrived(link);
}

Millis Simulator::act_on_arrived(Link& link) {
  while (!link.incoming.empty() && link.incoming.front().due_ms <= clock_.now_ms()) {
    const Incoming arrived = std::move(link.incoming.front());
    link.incoming.pop_front();
    act(link, arrived.line, arrived.due_ms);
  }
  return link.incoming.empty() ? 0 : link.incoming.front().due_ms;
}

// The reply starts once the command is in and the reply direction is free.
void Simulator::act(Link& link, const std::string& line, Millis at) {
  const auto reply = link.bus.handle_line(line, link.addressed);
  if (!reply) return;
  std::string_view command = line;
  std::string_view unit = "00";
  if (link.addressed && link.bus.line() == LineKind::rs485) {
    unit = command.substr(0, 2);
    command.remove_prefix(2);
  }
  const std::vector<Chunk> chunks = shaper_.shape(*reply, {command, link.name, unit});
  if (chunks.empty() && link.bus.trace) link.bus.trace("tx " + link.name + " (silence)");
  for (const Chunk& chunk : chunks) {
    const Millis start = std::max(at, link.busy_until);
    link.busy_until = start + chunk.after_ms;
    link.outgoing.push_back(Outgoing{link.busy_until, chunk.bytes});
    if (link.bus.trace)
      link.bus.trace("tx " + link.name + " " + escaped(chunk.bytes) + " after " +
                     std::to_string(chunk.after_ms) + " ms");
  }
}

std::pair<Bus*, Unit*> Simulator::find_unit(const std::string& unit) {
  std::string bus_name = "main";
  std::string address = unit;
  const size_t colon = unit.find(':');
  if (colon != std::string::npos) {
    bus_name = unit.substr(0, colon);
    address = unit.substr(colon + 1);
  }
  Bus* bus = find_bus(bus_name);
  const auto n = number(address, 2, 0, kMaxUnits - 1);
  if (!bus || !n) return {bus, nullptr};
  return {bus, bus->unit(*n)};
}

std::string Simulator::fault_command(const std::vector<std::string>& w) {
  if (w.size() == 1) return ok(shaper_.describe());
  Fault fault;
  size_t count_at = 2;
  if (w[1] == "clear") {
    shaper_.clear_fault();
    return ok();
  } else if (w[1] == "silence") {
    fault.kind = FaultKind::silence;
  } else if (w[1] == "garble") {
    fault.kind = FaultKind::garble;
  } else if (w[1] == "condition") {
    if (w.size() < 3 || !is_condition_name(w[2]))
      return err("fault condition needs MENU, ALARM, LOCK, GN, E0, E1, E2 or E3");
    fault.kind = FaultKind::condition;
    fault.condition = w[2];
    count_at = 3;
  } else if (w[1] == "reply") {
    if (w.size() < 3) return err("fault reply needs the TEXT that replaces the replies");
    fault.kind = FaultKind::replace;
    fault.condition = w[2];
    count_at = 3;
  } else if (w[1] == "split") {
    const auto parts = w.size() > 2 ? number(w[2], w[2].size(), 2, 600) : std::nullopt;
    const auto pause = w.size() > 3 ? number(w[3], w[3].size(), 0, 600000) : std::nullopt;
    if (!parts || !pause) return err("fault split needs PARTS (2..600) and PAUSE_MS");
    fault.kind = FaultKind::split;
    fault.parts = *parts;
    fault.pause_ms = *pause;
    count_at = 4;
  } else {
    return err("unknown fault " + w[1] + " (silence, condition, reply, garble, split, clear)");
  }
  // The count, then "after K" (from the K-th reply on) and "on PREFIX" (only
  // replies to commands beginning with PREFIX), in any order.
  fault.remaining = 1;
  for (size_t i = count_at; i < w.size(); ++i) {
    if (w[i] == "after" && i + 1 < w.size()) {
      const auto k = number(w[i + 1], w[i + 1].size(), 1, 1000000);
      if (!k) return err("after K needs K from 1");
      fault.skip = *k - 1;
      ++i;
    } else if (w[i] == "on" && i + 1 < w.size()) {
      fault.prefix = w[++i];
    } else if (w[i] == "link" && i + 1 < w.size()) {
      fault.link = w[++i];
    } else if (w[i] == "unit" && i + 1 < w.size()) {
      fault.unit = w[++i];
    } else if (const auto count = count_word(w, i)) {
      fault.remaining = *count;
    } else {
      return err("the count is a number or all; then after K, on PREFIX, link NAME, unit UNIT");
    }
  }
  shaper_.set_fault(fault);
  return ok(shaper_.describe());
}

std::string Simulator::output_command(const std::vector<std::string>& w) {
  if (w.size() != 4) return err("output UNIT OUT I05|S02|auto");
  const auto [bus, unit] = find_unit(w[1]);
  const auto output = number(w[2], w[2].size(), 1, kOutputs);
  if (!unit) return err("no unit " + w[1]);
  if (!output) return err("OUT is 1..32");
  if (w[3] == "auto") {
    unit->force_output(*output - 1, std::nullopt);
    return ok();
  }
  const char kind = w[3].empty() ? '\0' : w[3][0];
  const auto n = w[3].size() == 3
                     ? number(w[3].substr(1), 2, 1, kind == 'I' ? unit->inputs() : kPatterns)
                     : std::nullopt;
  if ((kind != 'I' && kind != 'S') || !n)
    return err("entry is I01..I" + digits(unit->inputs(), 2) + " or S01..S64");
  unit->force_output(*output - 1, Entry{kind, *n});
  return ok();
}

// The unit's front panel: a pattern recalled there, as "OPnn" (or "OPFR")
// would recall it, with no line to answer on.
std::string Simulator::panel_command(const std::vector<std::string>& w) {
  if (w.size() != 4 || w[2] != "pattern") return err("panel UNIT pattern NN|FR");
  const auto [bus, unit] = find_unit(w[1]);
  if (!unit) return err("no unit " + w[1]);
  const bool free = w[3] == "FR";
  if (!free && !number(w[3], 2, 1, kPatterns)) return err("pattern is 01..64 or FR");
  const std::string reply = unit->handle("OP" + w[3]);
  return reply.rfind("GO", 0) == 0 ? ok() : err("the unit refused: " + reply.substr(0, 2));
}

std::string Simulator::get_command(const std::vector<std::string>& w) {
  if (w.size() != 3) return err("get UNIT READ-COMMAND|clock");
  const auto [bus, unit] = find_unit(w[1]);
  if (!unit) return err("no unit " + w[1]);
  if (w[2] == "clock") return ok(unit->clock_text());
  if (w[2].empty() || w[2][0] != 'R') return err("not a read command: " + w[2]);
  std::string reply;
  if (auto converter = bus->converter().handle(w[2]))
    reply = *converter;
  else
    reply = unit->handle(w[2]);
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.pop_back();
  return ok(reply);
}

std::string Simulator::log_command(const std::vector<std::string>& w) {
  if (w.size() >= 2 && w[1] == "clear") {
    Bus* bus = find_bus(w.size() > 2 ? w[2] : "main");
    if (!bus) return err("no bus " + w[2]);
    bus->clear_log();
    return ok();
  }
  std::string bus_name = "main";
  std::string target;
  for (size_t i = 1; i < w.size(); ++i) {
    if (find_bus(w[i]))
      bus_name = w[i];
    else
      target = w[i];
  }
  Bus* bus = find_bus(bus_name);
  std::string out;
  int count = 0;
  for (const LogEntry& entry : bus->log()) {
    if (!target.empty() && entry.target != target) continue;
    out += seconds_text(entry.at_ms) + " " + entry.target + " " + escaped(entry.raw) + "\n";
    ++count;
  }
  return out + ok(std::to_string(count));
}

std::string Simulator::units_command() {
  std::string out;
  for (const auto& [name, bus] : buses_) {
    const Unit* first = bus->unit(0);
    out += name + ": " + std::to_string(bus->unit_count()) + " unit(s), " +
           (bus->line() == LineKind::rs485 ? "rs485" : "rs232c") + ", " +
           (first->model() == Model::orvellan ? "orvellan" : "tarquine") + "\n";
  }
  return out + ok(std::to_string(buses_.size()));
}

std::string Simulator::control(std::string_view line) {
  const std::vector<std::string> w = words_of(line);
  if (w.empty()) return err("empty command (try help)");
  if (trace) trace("control: " + std::string(line));
  if (w[0] == "help") return std::string(kControlHelp) + ok();
  if (w[0] == "fault") return fault_command(w);
  if (w[0] == "delay") {
    const auto ms = w.size() == 2 ? number(w[1], w[1].size(), 0, 600000) : std::nullopt;
    if (!ms) return err("delay MS (0..600000)");
    shaper_.set_delay(*ms);
    return ok();
  }
  if (w[0] == "output") return output_command(w);
  if (w[0] == "panel") return panel_command(w);
  if (w[0] == "get") return get_command(w);
  if (w[0] == "log") return log_command(w);
  if (w[0] == "units") return units_command();
  if (w[0] == "factory") {
    for (auto& [name, bus] : buses_) bus->factory_reset();
    return ok(std::to_string(buses_.size()));
  }
  if (w[0] == "drop") {
    if (!drop_links) return err("no links to drop");
    return drop_links(w.size() > 1 ? w[1] : "all");
  }
  if (w[0] == "connect") {
    if (!reconnect_links) return err("no converters");
    return reconnect_links(w.size() > 1 ? w[1] : "all");
  }
  if (w[0] == "links") return list_links ? list_links() : ok("0");
  if (w[0] == "unplug" || w[0] == "plug") {
    if (!plug_serial) return err("no serial line");
    return plug_serial(w[0] == "plug");
  }
  if (w[0] == "send") {
    if (w.size() < 3) return err("send LINK TEXT");
    if (!send_raw) return err("no links");
    const size_t text_at = line.find(w[2], line.find(w[1]) + w[1].size());
    return send_raw(w[1], unescaped(line.substr(text_at)));
  }
  return err("unknown command " + w[0] + " (try help)");
}

}  // namespace sim
