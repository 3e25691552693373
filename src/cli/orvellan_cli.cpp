// orvellan-cli: shows what the program would put on the wire, and checks
// settings files, without a unit or a window.
//
//   orvellan-cli commands set-all FILE.dat [--model orvellan|tarquine]
//   orvellan-cli commands read-all [--model orvellan|tarquine]
//   orvellan-cli check FILE.dat [--model orvellan|tarquine]

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "settings_file/settings_file.h"

namespace {

using namespace orv;

constexpr const char* kUsage =
    "usage: orvellan-cli commands set-all FILE.dat [--model orvellan|tarquine]\n"
    "       orvellan-cli commands read-all [--model orvellan|tarquine]\n"
    "       orvellan-cli check FILE.dat [--model orvellan|tarquine]\n"
    "       orvellan-cli COMMAND --help\n";

constexpr const char* kSetAllHelp =
    "usage: orvellan-cli commands set-all FILE.dat [--model orvellan|tarquine]\n"
    "Writes to standard output, in step order, every command line that \"全項目の設定\"\n"
    "sends for the settings file, each with its CR LF, byte for byte as it goes\n"
    "out over RS-232C (176 lines for ORVELLAN, 208 for TARQUINE). Stops with an\n"
    "error naming the step and channel that cannot be sent. The model defaults to\n"
    "orvellan.\n";

constexpr const char* kReadAllHelp =
    "usage: orvellan-cli commands read-all [--model orvellan|tarquine]\n"
    "Writes to standard output, in step order, every read command that\n"
    "\"設定項目の読み込み\" sends (175 lines for ORVELLAN, 207 for TARQUINE).\n";

constexpr const char* kCheckHelp =
    "usage: orvellan-cli check FILE.dat [--model orvellan|tarquine]\n"
    "Says whether FILE.dat is a whole settings file; if not, where it is damaged.\n";

struct Options {
  std::vector<std::string> words;
  int model = kModelOrvellan;
  bool help = false;
};

int fail(const std::string& reason) {
  std::cerr << "orvellan-cli: " << reason << '\n';
  return 2;
}

std::optional<std::string> parse_options(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--model") {
      if (i + 1 >= argc) return "--model needs orvellan or tarquine";
      const std::string model = argv[++i];
      if (model == "orvellan")
        options.model = kModelOrvellan;
      else if (model == "tarquine")
        options.model = kModelTarquine;
      else
        return "unknown model \"" + model + "\" (orvellan or tarquine)";
    } else if (arg.rfind("--", 0) == 0) {
      return "unknown option " + arg;
    } else {
      options.words.push_back(arg);
    }
  }
  return std::nullopt;
}

DeviceSettings settings_for_model(int model) {
  DeviceSettings settings;
  apply_model(settings, model);
  return settings;
}

bool load(const std::string& file, int model, DeviceSettings& settings, std::string& reason) {
  settings = settings_for_model(model);
  SettingsFileError error;
  if (load_settings_file(file, settings, error)) return true;
  reason = error.line > 0 ? file + ": line " + std::to_string(error.line) + ": " + error.reason
                          : error.reason;
  return false;
}

void write_line(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

int set_all(const Options& options) {
  if (options.words.size() != 3) return fail("commands set-all needs one settings file");
  DeviceSettings settings;
  std::string reason;
  if (!load(options.words[2], options.model, settings, reason)) return fail(reason);
  const int steps = set_all_step_count(settings.inputCount);
  for (int s = 1; s <= steps; ++s) {
    const BulkStep step = set_all_step(s, settings);
    if (!step.command.sendable()) {
      std::fflush(stdout);
      const std::string why = step.title_unsendable
                                  ? "a character outside JIS X 0208 levels 1 and 2, or an odd "
                                    "byte count (ＪＩＳ第１水準,第２水準以外の字が選択されてます)"
                                  : "the value cannot be sent (Command Error)";
      return fail("step " + std::to_string(s) + " (" + step.label + ") cannot be sent: " + why);
    }
    write_line(step.command.text);
  }
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

int read_all(const Options& options) {
  if (options.words.size() != 2) return fail("commands read-all takes no file");
  const int inputs = input_count_of(options.model);
  const int steps = read_all_step_count(inputs);
  for (int s = 1; s <= steps; ++s) write_line(read_all_step(s, inputs).command.text);
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

int check(const Options& options) {
  if (options.words.size() != 2) return fail("check needs one settings file");
  DeviceSettings settings;
  std::string reason;
  if (!load(options.words[1], options.model, settings, reason)) return fail(reason);
  std::cout << options.words[1] << ": a whole settings file (" << kSettingsFileLines
            << " values)\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const auto error = parse_options(argc, argv, options)) return fail(*error);
  const std::vector<std::string>& w = options.words;
  const bool commands = !w.empty() && w[0] == "commands";
  const std::string which = commands && w.size() > 1 ? w[1] : "";
  if (options.help) {
    if (which == "set-all")
      std::cout << kSetAllHelp;
    else if (which == "read-all")
      std::cout << kReadAllHelp;
    else if (!w.empty() && w[0] == "check")
      std::cout << kCheckHelp;
    else
      std::cout << kUsage;
    return 0;
  }
  if (commands && which == "set-all") return set_all(options);
  if (commands && which == "read-all") return read_all(options);
  if (!w.empty() && w[0] == "check") return check(options);
  std::cerr << kUsage;
  return 2;
}
