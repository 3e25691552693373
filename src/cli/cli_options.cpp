#include "cli/cli_options.h"

#include "link/framing.h"

namespace orv::cli {
namespace {

std::optional<int> number_in(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int value = std::stoi(text);
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<std::string> parse_model(const std::string& model, Options& options) {
  if (model == "orvellan")
    options.model = kModelOrvellan;
  else if (model == "tarquine")
    options.model = kModelTarquine;
  else
    return "unknown model \"" + model + "\" (orvellan or tarquine)";
  return std::nullopt;
}

std::optional<std::string> parse_line(const std::string& line, Options& options) {
  if (line != "rs232c" && line != "rs485") return "unknown line \"" + line + "\" (rs232c or rs485)";
  options.rs485 = line == "rs485";
  return std::nullopt;
}

// An option with a value: the value, or the reason it is missing or wrong.
std::optional<std::string> take_value(const std::string& name, const std::string& value,
                                      Options& o) {
  if (name == "--model") return parse_model(value, o);
  if (name == "--line") return parse_line(value, o);
  if (name == "--baud") {
    const auto baud = number_in(value, 300, 115200);
    if (!baud) return "--baud needs a rate from 300 to 115200";
    o.baud = *baud;
    return std::nullopt;
  }
  if (name == "--timeout") {
    const auto ms = number_in(value, 100, 60000);
    if (!ms) return "--timeout needs milliseconds from 100 to 60000";
    o.timeout_ms = *ms;
    return std::nullopt;
  }
  std::string* target = name == "--port"        ? &o.port
                        : name == "--tcp"       ? &o.tcp
                        : name == "--address"   ? &o.address
                        : name == "--addresses" ? &o.addresses
                        : name == "-o"          ? &o.output
                        : name == "-d"          ? &o.directory
                                                : nullptr;
  if (!target) return "unknown option " + name;
  *target = value;
  return std::nullopt;
}

bool takes_value(const std::string& arg) {
  for (const char* name : {"--model", "--line", "--baud", "--timeout", "--port", "--tcp",
                           "--address", "--addresses", "-o", "-d"})
    if (arg == name) return true;
  return false;
}

}  // namespace

std::optional<std::string> parse_options(const std::vector<std::string>& args, Options& options) {
  const int argc = static_cast<int>(args.size());
  for (int i = 1; i < argc; ++i) {
    const std::string& arg = args[static_cast<size_t>(i)];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--verify") {
      options.verify = true;
    } else if (takes_value(arg)) {
      if (i + 1 >= argc) return arg + " needs a value";
      if (auto error = take_value(arg, args[static_cast<size_t>(++i)], options)) return error;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else {
      options.words.push_back(arg);
    }
  }
  return std::nullopt;
}

std::optional<int> parse_address(const std::string& text) {
  if (text == "FF" || text == "ff") return kBroadcastAddress;
  if (text.size() != 2) return std::nullopt;
  return number_in(text, 0, kBroadcastAddress - 1);
}

std::optional<std::vector<int>> parse_address_range(const std::string& text) {
  const size_t dash = text.find('-');
  const auto first = parse_address(text.substr(0, dash));
  const auto last = dash == std::string::npos ? first : parse_address(text.substr(dash + 1));
  if (!first || !last || *first == kBroadcastAddress || *last == kBroadcastAddress ||
      *last < *first)
    return std::nullopt;
  std::vector<int> addresses;
  for (int a = *first; a <= *last; ++a) addresses.push_back(a);
  return addresses;
}

}  // namespace orv::cli
