// orvellan-cli: reads and sets whole units at wire speed, backs up a bus,
// compares settings files, and shows what the program would put on the
// wire, all without a window.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bulk/fleet_files.h"
#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "cli/cli_options.h"
#include "cli/fleet.h"
#include "cli/terminal.h"
#include "cli/unit_runs.h"
#include "io/ports.h"
#include "link/framing.h"
#include "protocol/number_text.h"
#include "protocol/title_codec.h"
#include "settings_file/settings_diff.h"
#include "settings_file/settings_file.h"

namespace {

using namespace orv;
using namespace orv::cli;

constexpr const char* kReadAllHelp =
    "usage: orvellan-cli read-all (--port DEV | --tcp HOST:PORT) -o FILE.dat\n"
    "           [--line rs232c|rs485] [--address NN] [--model orvellan|tarquine]\n"
    "           [--baud N] [--timeout MS]\n"
    "Reads every setting that \"設定項目の読み込み\" reads from one unit into a settings\n"
    "file the program opens. The next command goes out as soon as the last reply is\n"
    "in. FILE.dat is written only when every reply came: nothing is left behind\n"
    "otherwise. DEV is a COM port (COM1) or a tty (/dev/ttyUSB0); the line is 8E1.\n"
    "Exit status: 0 read, 1 the unit failed (the reason names the step), 2 bad input.\n";

constexpr const char* kSetAllHelp =
    "usage: orvellan-cli set-all FILE.dat (--port DEV | --tcp HOST:PORT) [--verify]\n"
    "           [--line rs232c|rs485] [--address NN|FF] [--model orvellan|tarquine]\n"
    "           [--baud N] [--timeout MS]\n"
    "Sends every setting that \"全項目の設定\" sends, at the pace of the replies. With\n"
    "--verify the unit is read back and every setting it gives back differently is\n"
    "listed by name and channel (titles as far as their font size lets the unit\n"
    "answer). --address FF sends to every unit of the bus; nobody answers it, so it\n"
    "cannot be verified, and its commands go 400 ms apart as the dialog sends them.\n"
    "Exit status: 0 set (and verified), 1 the unit failed or differs, 2 bad input.\n";

constexpr const char* kBackupHelp =
    "usage: orvellan-cli backup (BUS | FLEET) -d DIR [UNIT OPTIONS]\n"
    "       orvellan-cli restore (BUS | FLEET) -d DIR [UNIT OPTIONS]\n"
    "BUS:   --port DEV --line rs485 --addresses NN-MM\n"
    "FLEET: --tcp HOST:PORT,HOST:PORT,...  or  --listen HOST:PORT --converters N [--wait-s S]\n"
    "backup reads every unit into DIR, restore sets every unit from DIR: a bus's\n"
    "units one after another as DIR/unit-NN.dat (a unit that does not answer its\n"
    "first command, or has no file, is skipped with a note); a fleet's converters\n"
    "in parallel as DIR/HOST-PORT.dat (--tcp) or DIR/ADDRESS.dat (--listen: the\n"
    "tool is the server the converters connect to, and waits S seconds, 60 by\n"
    "default, for N of them). Progress shows the units done and the slowest one;\n"
    "a summary names each unit that failed and why.\n"
    "Exit status: 0 every unit done, 1 a unit failed, 2 bad input.\n";

constexpr const char* kClockSyncHelp =
    "usage: orvellan-cli clock-sync (--port DEV [--address NN] | BUS | FLEET) [UNIT OPTIONS]\n"
    "BUS:   --port DEV --line rs485 --addresses NN-MM\n"
    "FLEET: --tcp HOST:PORT,HOST:PORT,...  or  --listen HOST:PORT --converters N [--wait-s S]\n"
    "Sets each unit's date and time from this computer's local clock: the second\n"
    "to 00 and the day to 01 first (no step leaves a date that does not exist),\n"
    "then year, month, day, hour, minute, and the second last, taken as it goes\n"
    "out; a run that crosses a minute is sent again. A bus's units one after\n"
    "another (Broadcast cannot confirm, so it is not used), a fleet's in parallel.\n"
    "A summary names each unit that failed and why.\n"
    "Exit status: 0 every unit in sync, 1 a unit failed, 2 bad input.\n";

constexpr const char* kDiffHelp =
    "usage: orvellan-cli diff A.dat B.dat [--model orvellan|tarquine]\n"
    "Lists every setting the two files hold differently, one line each:\n"
    "\"NAME: A-VALUE | B-VALUE\". Exit status: 0 none, 1 some, 2 trouble.\n";

constexpr const char* kCommandsHelp =
    "usage: orvellan-cli commands set-all FILE.dat [--model orvellan|tarquine]\n"
    "       orvellan-cli commands read-all [--model orvellan|tarquine]\n"
    "Writes to standard output, in step order, every command line that \"全項目の設定\"\n"
    "sends for the settings file (176 lines for ORVELLAN, 208 for TARQUINE, and an\n"
    "insert command for each external character of a title), or that\n"
    "\"設定項目の読み込み\" sends (175 or 207), each with its CR LF, byte for byte.\n";

constexpr const char* kCheckHelp =
    "usage: orvellan-cli check FILE.dat [--model orvellan|tarquine] [--fold]\n"
    "Says whether FILE.dat is a whole settings file whose every value the unit\n"
    "takes and whose every set-all command can be sent; if not, the line and the\n"
    "value, or the step (set-all, restore and commands set-all refuse such a file\n"
    "before anything is sent). Read as ORVELLAN (the default), a file whose screen\n"
    "patterns show TARQUINE's inputs 33 to 64 is refused, naming how many entries:\n"
    "--model tarquine keeps them, --fold shows each as its input less 32.\n";

constexpr int kFailed = 1;

int fail(const std::string& reason) {
  print_error("orvellan-cli: " + reason + "\n");
  return 2;
}

int failed_run(const std::string& what, const WireRunEnd& end) {
  print_error("orvellan-cli: " + what + ": " + describe_end(end) + "\n");
  return kFailed;
}

// Loads a settings file for the model, refusing a value the unit does not
// take. Read as ORVELLAN, entries that show TARQUINE's inputs 33 to 64 would
// become inputs 1 to 32, and a unit set from them would differ from the
// file: refused unless --fold asks for it (--model tarquine keeps them).
bool load(const std::string& file, const Options& options, DeviceSettings& settings,
          std::string& reason, bool strict = true) {
  std::string text;
  SettingsFileError error;
  if (read_whole_file(FilePath(file), text, error.reason) != FileRead::read)
    return reason = error.reason, false;
  if (!parse_settings_file(text, settings_for_model(options.model), settings, error, strict)) {
    reason = file + ": line " + std::to_string(error.line) + ": " + error.reason;
    return false;
  }
  const int folded = inputs_beyond_orvellan(text);
  if (options.model != kModelOrvellan || folded == 0) return true;
  const std::string entries =
      std::to_string(folded) + " screen pattern entries show inputs 33 to 64";
  if (!options.fold) {
    reason = file + ": " + entries +
             ", which ORVELLAN does not have: name --model tarquine, or --fold to show each "
             "as its input less 32";
    return false;
  }
  print_error("orvellan-cli: " + file + ": " + entries +
              "; as ORVELLAN each shows its input less 32\n");
  return true;
}

// The first step of a set-all that cannot go on the wire (a title the unit
// cannot take, a password that is not digits), checked before anything is
// sent so that no unit is left half set.
std::optional<std::string> unsendable_step(const DeviceSettings& settings) {
  const int steps = set_all_step_count(settings);
  for (int s = 1; s <= steps; ++s) {
    const BulkStep step = set_all_step(s, settings);
    if (step.command.sendable()) continue;
    const std::string why = step.title_unsendable
                                ? "a character outside JIS X 0208 levels 1 and 2, or an odd "
                                  "byte count (" +
                                      std::string(kUnsendableTitle) + ")"
                                : "the value cannot be sent (Command Error)";
    return "step " + std::to_string(s) + " (" + step.label + ") cannot be sent: " + why;
  }
  return std::nullopt;
}

// A file to send: whole, every value one the unit takes, every step sendable.
bool load_to_send(const std::string& file, const Options& options, DeviceSettings& settings,
                  std::string& reason) {
  if (!load(file, options, settings, reason)) return false;
  const auto unsendable = unsendable_step(settings);
  if (unsendable) reason = file + ": " + *unsendable;
  return !unsendable;
}

std::string shown_value(const SettingDifference& d, const std::string& value) {
  return d.name.rfind("titles ", 0) == 0 ? "\"" + terminal_text(value) + "\"" : value;
}

// The password is never shown: that the two differ is enough.
void print_differences(const std::vector<SettingDifference>& differences) {
  for (const SettingDifference& d : differences) {
    if (d.name == "password")
      print_output("password: the passwords differ\n");
    else
      print_output(d.name + ": " + shown_value(d, d.left) + " | " + shown_value(d, d.right) + "\n");
  }
}

// --- Without a unit.

int commands_set_all(const Options& options) {
  if (options.words.size() != 3) return fail("commands set-all needs one settings file");
  DeviceSettings settings;
  std::string reason;
  if (!load_to_send(options.words[2], options, settings, reason)) return fail(reason);
  const int steps = set_all_step_count(settings);
  for (int s = 1; s <= steps; ++s) print_output(set_all_step(s, settings).command.text);
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

int commands_read_all(const Options& options) {
  if (options.words.size() != 2) return fail("commands read-all takes no file");
  const int inputs = input_count_of(options.model);
  const int steps = read_all_step_count(inputs);
  for (int s = 1; s <= steps; ++s) print_output(read_all_step(s, inputs).command.text);
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

int check(const Options& options) {
  if (options.words.size() != 2) return fail("check needs one settings file");
  DeviceSettings settings;
  std::string reason;
  if (!load_to_send(options.words[1], options, settings, reason)) return fail(reason);
  print_output(options.words[1] + ": a whole settings file (" + std::to_string(kSettingsFileLines) +
               " values)\n");
  return 0;
}

int diff(const Options& options) {
  if (options.words.size() != 3) return fail("diff needs two settings files");
  DeviceSettings a, b;
  std::string reason;
  if (!load(options.words[1], options, a, reason, false)) return fail(reason);
  if (!load(options.words[2], options, b, reason, false)) return fail(reason);
  const auto differences = settings_differences(a, b, Compared::whole_file);
  print_differences(differences);
  return differences.empty() ? 0 : kFailed;
}

// --- With a unit.

// The port options every unit command needs; the reason when they do not add up.
std::optional<std::string> check_unit_options(const Options& o) {
  if (o.port.empty() == o.tcp.empty())
    return "name the unit's port with --port DEV or --tcp HOST:PORT";
  if (!o.tcp.empty() && o.rs485) return "--line rs485 is for --port; a converter takes no address";
  if (!o.address.empty() && !o.rs485) return "--address needs --line rs485";
  return std::nullopt;
}

std::optional<int> unit_address(const Options& o, std::string& error) {
  if (o.address.empty()) return 0;
  const auto address = parse_address(o.address);
  if (!address) error = "--address needs 00 to 31, or FF for every unit";
  return address;
}

int read_all(const Options& options) {
  if (options.words.size() != 1) return fail("read-all takes no file; name the output with -o");
  if (options.output.empty()) return fail("read-all needs -o FILE.dat");
  if (auto error = check_unit_options(options)) return fail(*error);
  std::string error;
  const auto address = unit_address(options, error);
  if (!address) return fail(error);
  if (*address == kBroadcastAddress) return fail("a Broadcast is not answered: read one unit");
  if (!can_write_beside(FilePath(options.output), error)) return fail(error);
  auto link = open_unit_link(options, *address, error);
  if (!link) return fail(error);
  DeviceSettings settings = settings_for_model(options.model);
  const WireRunEnd end = read_unit(*link, settings, "read-all");
  if (!end.completed()) return failed_run("read-all", end);
  if (!save_settings_file(FilePath(options.output), settings, error)) return fail(error);
  return 0;
}

int verify(UnitLink& link, const DeviceSettings& sent) {
  DeviceSettings back = settings_for_model(sent.model);
  const WireRunEnd end = read_unit(link, back, "verify");
  if (!end.completed()) return failed_run("verify", end);
  const auto differences = settings_differences(sent, back, Compared::what_a_unit_gives_back);
  print_differences(differences);
  if (differences.empty()) return 0;
  print_error("orvellan-cli: the unit gives back " + std::to_string(differences.size()) +
              " setting(s) differently\n");
  return kFailed;
}

int set_all(const Options& options) {
  if (options.words.size() != 2) return fail("set-all needs one settings file");
  if (auto error = check_unit_options(options)) return fail(*error);
  std::string error;
  const auto address = unit_address(options, error);
  if (!address) return fail(error);
  if (options.verify && *address == kBroadcastAddress)
    return fail("--verify needs one unit: nobody answers a Broadcast (--address FF)");
  DeviceSettings settings;
  if (!load_to_send(options.words[1], options, settings, error)) return fail(error);
  auto link = open_unit_link(options, *address, error);
  if (!link) return fail(error);
  const WireRunEnd end = set_unit(*link, settings, "set-all");
  if (!end.completed()) return failed_run("set-all", end);
  return options.verify ? verify(*link, settings) : 0;
}

// Makes DIR and checks that files can be written in it.
bool make_folder(const Options& options, std::string& error) {
  if (options.directory.empty()) return error = "name the folder with -d DIR", false;
  const FilePath folder(options.directory);
  return make_folders(folder, error) && can_write_beside(folder / "unit-00.dat", error);
}

FilePath unit_file(const Options& options, const std::string& name) {
  return FilePath(options.directory) / name;
}

// The converters of --tcp, each on a connection of its own made in its
// thread, or those that connect to --listen.
std::optional<std::vector<FleetUnit>> fleet_of(const Options& options, std::string& error) {
  std::vector<FleetUnit> units;
  if (!options.listen.empty()) {
    if (options.converters < 1) return error = "--listen needs --converters N", std::nullopt;
    print_error("orvellan-cli: waiting for " + std::to_string(options.converters) +
                " converter(s) on " + options.listen + " (at most " +
                std::to_string(options.wait_s) + " s)\n");
    auto accepted =
        io::accept_converters(options.listen, options.converters, options.wait_s * 1000, error);
    if (!accepted) return std::nullopt;
    for (io::AcceptedConverter& converter : *accepted) {
      FleetUnit unit;
      unit.name = converter.address;
      unit.file = unit_file(options, converter_file_name(converter.address));
      // Converters behind one router share an address, and so a file name:
      // the first keeps it; which file is whose cannot be told for the rest.
      const bool repeated = std::any_of(units.begin(), units.end(), [&](const FleetUnit& u) {
        return u.name == converter.address;
      });
      if (repeated) {
        unit.name += " (another connection)";
        unit.failure = "another converter from " + converter.address + " connected first, and " +
                       unit.file.text() + " is its file; refused (connect it from an address " +
                       "of its own)";
        units.push_back(std::move(unit));
        continue;
      }
      unit.link = std::make_unique<UnitLink>();
      unit.link->port = std::move(converter.port);
      unit.link->tcp = true;
      unit.link->timeout_ms = options.timeout_ms;
      unit.link->retries = options.retries;
      units.push_back(std::move(unit));
    }
    for (int missing = static_cast<int>(units.size()); missing < options.converters; ++missing) {
      FleetUnit unit;
      unit.name = "converter " + std::to_string(missing + 1);
      unit.failure = "did not connect within " + std::to_string(options.wait_s) + " s";
      units.push_back(std::move(unit));
    }
    return units;
  }
  for (size_t start = 0; start <= options.tcp.size();) {
    const size_t comma = std::min(options.tcp.find(',', start), options.tcp.size());
    Options one = options;
    one.tcp = options.tcp.substr(start, comma - start);
    for (const FleetUnit& listed : units)
      if (listed.name == one.tcp) return error = one.tcp + " is listed twice", std::nullopt;
    FleetUnit unit;
    unit.name = one.tcp;
    unit.file = unit_file(options, converter_file_name(one.tcp));
    unit.open = [one](std::string& why) { return open_unit_link(one, 0, why); };
    units.push_back(std::move(unit));
    start = comma + 1;
  }
  return units;
}

int fleet_backup(const Options& options) {
  std::string error;
  if (!make_folder(options, error)) return fail(error);
  auto units = fleet_of(options, error);
  if (!units) return fail(error);
  return run_fleet(*units, FleetJob::backup, options.model);
}

int fleet_restore(const Options& options) {
  std::string error;
  auto units = fleet_of(options, error);
  if (!units) return fail(error);
  for (FleetUnit& unit : *units)
    if (unit.failure.empty() && !load_to_send(unit.file.text(), options, unit.settings, error))
      unit.failure = error;
  return run_fleet(*units, FleetJob::restore, options.model);
}

std::optional<std::string> check_fleet_options(const Options& o) {
  const int ways = !o.port.empty() + !o.tcp.empty() + !o.listen.empty();
  if (ways != 1)
    return "name the units with --port DEV --line rs485, --tcp HOST:PORT,... or --listen "
           "HOST:PORT --converters N";
  if (!o.port.empty() && !o.rs485) return "a bus is read over --line rs485";
  if (o.port.empty() && o.rs485) return "--line rs485 is for --port; a converter takes no address";
  return std::nullopt;
}

int backup(const Options& options) {
  if (options.words.size() != 1) return fail("backup takes no file; name the folder with -d");
  if (auto error = check_fleet_options(options)) return fail(*error);
  if (options.port.empty()) return fleet_backup(options);
  const auto addresses = parse_address_range(options.addresses);
  if (!addresses) return fail("--addresses needs NN-MM from 00 to 31");
  std::string error;
  if (!make_folder(options, error)) return fail(error);
  auto link = open_unit_link(options, addresses->front(), error);
  if (!link) return fail(error);
  int status = 0;
  for (int address : *addresses) {
    const std::string unit = "unit " + decimal_text(address, 2);
    link->framing.slave_address = address;
    DeviceSettings settings = settings_for_model(options.model);
    const WireRunEnd end = read_unit(*link, settings, unit);
    if (end.kind == WireRunEnd::Kind::no_reply && end.step == 1) {
      print_error("orvellan-cli: " + unit + ": no reply, skipped\n");
      continue;
    }
    if (!end.completed()) {
      status = failed_run(unit, end);
      continue;
    }
    const auto file = unit_file(options, bus_unit_file_name(address));
    if (!save_settings_file(file, settings, error)) return fail(error);
    print_output(file.text() + "\n");
  }
  return status;
}

// The bus's units one after another (a bus is one line), each from its
// unit-NN.dat; an address without a file is skipped with a note.
int restore(const Options& options) {
  if (options.words.size() != 1) return fail("restore takes no file; name the folder with -d");
  if (auto error = check_fleet_options(options)) return fail(*error);
  if (options.directory.empty()) return fail("restore needs -d DIR");
  if (options.port.empty()) return fleet_restore(options);
  const auto addresses = parse_address_range(options.addresses);
  if (!addresses) return fail("--addresses needs NN-MM from 00 to 31");
  std::string error;
  auto link = open_unit_link(options, addresses->front(), error);
  if (!link) return fail(error);
  int status = 0;
  for (int address : *addresses) {
    const std::string unit = "unit " + decimal_text(address, 2);
    const auto file = unit_file(options, bus_unit_file_name(address));
    if (!file_exists(file)) {
      print_error("orvellan-cli: " + unit + ": no " + file.text() + ", skipped\n");
      continue;
    }
    DeviceSettings settings;
    if (!load_to_send(file.text(), options, settings, error)) {
      status = kFailed;
      print_error("orvellan-cli: " + unit + ": " + error + "\n");
      continue;
    }
    link->framing.slave_address = address;
    const WireRunEnd end = set_unit(*link, settings, unit);
    if (!end.completed()) status = failed_run(unit, end);
  }
  return status;
}

// The bus's units one after another, or the one unit of --port; the
// summary names each that failed.
int clock_sync_on_port(const Options& options) {
  std::string error;
  const auto address = unit_address(options, error);
  if (!address) return fail(error);
  std::vector<int> addresses{*address};
  if (!options.addresses.empty()) {
    if (!options.rs485) return fail("--addresses is for a bus: --line rs485");
    const auto range = parse_address_range(options.addresses);
    if (!range) return fail("--addresses needs NN-MM from 00 to 31");
    addresses = *range;
  }
  if (addresses.front() == kBroadcastAddress)
    return fail("Broadcast cannot confirm a clock; name the units with --addresses");
  auto link = open_unit_link(options, addresses.front(), error);
  if (!link) return fail(error);
  std::vector<std::string> failures;
  for (int address : addresses) {
    const std::string unit = options.rs485 ? "unit " + decimal_text(address, 2) : options.port;
    link->framing.slave_address = address;
    const WireRunEnd end = sync_clock(*link);
    if (!end.completed()) failures.push_back("  " + unit + ": " + describe_end(end) + "\n");
  }
  if (!failures.empty()) print_error("orvellan-cli: these units failed:\n");
  for (const std::string& failure : failures) print_error(failure);
  print_error("orvellan-cli: " + std::to_string(addresses.size() - failures.size()) + " of " +
              std::to_string(addresses.size()) + " unit(s) in sync\n");
  return failures.empty() ? 0 : kFailed;
}

int clock_sync(const Options& options) {
  if (options.words.size() != 1) return fail("clock-sync takes no file");
  const int ways = !options.port.empty() + !options.tcp.empty() + !options.listen.empty();
  if (ways != 1) return fail("name the units with --port DEV, --tcp HOST:PORT,... or --listen");
  if (!options.port.empty()) return clock_sync_on_port(options);
  if (options.rs485) return fail("--line rs485 is for --port; a converter takes no address");
  std::string error;
  auto units = fleet_of(options, error);
  if (!units) return fail(error);
  return run_fleet(*units, FleetJob::clock_sync, options.model);
}

// Every command once: the words that name it, its line in the usage, its
// help, and what runs it.
struct CliCommand {
  std::string_view words;  // "commands set-all"
  const char* synopsis;    // after "orvellan-cli "
  const char* help;
  int (*run)(const Options& options);
};

constexpr CliCommand kCommands[] = {
    {"read-all", "read-all (--port DEV | --tcp HOST:PORT) -o FILE.dat [UNIT OPTIONS]", kReadAllHelp,
     read_all},
    {"set-all", "set-all FILE.dat (--port DEV | --tcp HOST:PORT) [--verify] [UNIT OPTIONS]",
     kSetAllHelp, set_all},
    {"backup", "backup (BUS | FLEET) -d DIR [UNIT OPTIONS]", kBackupHelp, backup},
    {"restore", "restore (BUS | FLEET) -d DIR [UNIT OPTIONS]", kBackupHelp, restore},
    {"clock-sync", "clock-sync (--port DEV | BUS | FLEET) [UNIT OPTIONS]", kClockSyncHelp,
     clock_sync},
    {"diff", "diff A.dat B.dat [--model orvellan|tarquine]", kDiffHelp, diff},
    {"check", "check FILE.dat [--model orvellan|tarquine]", kCheckHelp, check},
    {"commands set-all", "commands set-all FILE.dat [--model orvellan|tarquine]", kCommandsHelp,
     commands_set_all},
    {"commands read-all", "commands read-all [--model orvellan|tarquine]", kCommandsHelp,
     commands_read_all},
};

std::string usage() {
  std::string text;
  for (const CliCommand& command : kCommands)
    text += (text.empty() ? "usage: " : "       ") + std::string("orvellan-cli ") +
            command.synopsis + "\n";
  return text +
         "       orvellan-cli COMMAND --help\n"
         "unit options: --line rs232c|rs485  --address NN|FF  --model orvellan|tarquine\n"
         "              --baud N (9600)  --timeout MS per command (3000)\n"
         "              --retries N more tries of a command whose reply is late (2)\n"
         "              --fold  a TARQUINE file's inputs 33-64 as 1-32 on ORVELLAN\n";
}

// The command whose words begin the command line (with `whole`, all of them).
const CliCommand* find_command(const std::vector<std::string>& w, bool whole) {
  for (const CliCommand& command : kCommands) {
    std::string_view words = command.words;
    const size_t space = words.find(' ');
    const bool two = space != std::string_view::npos;
    if (w.empty() || w[0] != words.substr(0, space)) continue;
    if (!whole || !two || (w.size() > 1 && w[1] == words.substr(space + 1))) return &command;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  prepare_terminal();
  Options options;
  if (const auto error = parse_options(arguments(argc, argv), options)) return fail(*error);
  if (options.help) {
    const CliCommand* command = find_command(options.words, false);
    print_output(command ? std::string(command->help) : usage());
    return 0;
  }
  if (const CliCommand* command = find_command(options.words, true)) return command->run(options);
  print_error(usage());
  return 2;
}
