// The command line of orvellan-cli: words, and options that may stand
// anywhere among them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "protocol/device_settings.h"

namespace orv::cli {

struct Options {
  std::vector<std::string> words;
  int model = kModelOrvellan;
  bool help = false;
  std::string port;       // --port DEV: a COM port or a tty
  std::string tcp;        // --tcp HOST:PORT: a LAN converter
  bool rs485 = false;     // --line rs485
  std::string address;    // --address NN|FF as given
  std::string addresses;  // --addresses NN-MM as given
  int baud = 9600;
  int timeout_ms = 3000;  // per command
  int retries = 2;        // more tries of a command whose reply is late
  std::string output;     // -o FILE
  std::string directory;  // -d DIR
  std::string listen;     // --listen HOST:PORT: the converters connect to the tool
  int converters = 0;     // --converters N: how many are awaited
  int wait_s = 60;        // --wait-s S: how long they are awaited
  bool verify = false;
  bool fold = false;  // --fold: a TARQUINE file's inputs 33-64 become 1-32 on ORVELLAN
};

// Fills `options`; the reason when the command line is not understood.
// `args` as the program got them, its name first, in UTF-8.
std::optional<std::string> parse_options(const std::vector<std::string>& args, Options& options);

// "00".."31" as 0..31, "FF" as the Broadcast address; nothing otherwise.
std::optional<int> parse_address(const std::string& text);

// "NN-MM" or "NN" as the addresses from NN to MM.
std::optional<std::vector<int>> parse_address_range(const std::string& text);

}  // namespace orv::cli
