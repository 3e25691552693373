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

using Reason = std::optional<std::string>;

Reason number_option(const std::string& value, int low, int high, int& field, const char* why) {
  const auto number = number_in(value, low, high);
  if (!number) return why;
  field = *number;
  return std::nullopt;
}

Reason text_option(const std::string& value, std::string& field) {
  field = value;
  return std::nullopt;
}

// Every option that takes a value, and where the value goes (or the reason
// it is wrong).
struct ValueOption {
  std::string_view name;
  Reason (*take)(const std::string& value, Options& o);
};

constexpr ValueOption kValueOptions[] = {
    {"--model", [](const std::string& v, Options& o) { return parse_model(v, o); }},
    {"--line", [](const std::string& v, Options& o) { return parse_line(v, o); }},
    {"--baud",
     [](const std::string& v, Options& o) {
       return number_option(v, 300, 115200, o.baud, "--baud needs a rate from 300 to 115200");
     }},
    {"--timeout",
     [](const std::string& v, Options& o) {
       return number_option(v, 100, 60000, o.timeout_ms,
                            "--timeout needs milliseconds from 100 to 60000");
     }},
    {"--retries",
     [](const std::string& v, Options& o) {
       return number_option(v, 0, 9, o.retries, "--retries needs a count from 0 to 9");
     }},
    {"--listen", [](const std::string& v, Options& o) { return text_option(v, o.listen); }},
    {"--converters",
     [](const std::string& v, Options& o) {
       return number_option(v, 1, 256, o.converters, "--converters needs a count from 1 to 256");
     }},
    {"--wait-s",
     [](const std::string& v, Options& o) {
       return number_option(v, 1, 3600, o.wait_s, "--wait-s needs seconds from 1 to 3600");
     }},
    {"--port", [](const std::string& v, Options& o) { return text_option(v, o.port); }},
    {"--tcp", [](const std::string& v, Options& o) { return text_option(v, o.tcp); }},
    {"--address", [](const std::string& v, Options& o) { return text_option(v, o.address); }},
    {"--addresses", [](const std::string& v, Options& o) { return text_option(v, o.addresses); }},
    {"-o", [](const std::string& v, Options& o) { return text_option(v, o.output); }},
    {"-d", [](const std::string& v, Options& o) { return text_option(v, o.directory); }},
};

const ValueOption* value_option(const std::string& arg) {
  for (const ValueOption& option : kValueOptions)
    if (arg == option.name) return &option;
  return nullptr;
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
    } else if (arg == "--fold") {
      options.fold = true;
    } else if (const ValueOption* option = value_option(arg)) {
      if (i + 1 >= argc) return arg + " needs a value";
      if (auto error = option->take(args[static_cast<size_t>(++i)], options)) return error;
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
