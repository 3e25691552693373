// orvellan-sim: the units (and the LAN converter) the program talks to,
// for development, demonstrations and the end-to-end tests.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "options.h"
#include "server.h"
#include "simulator.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void request_stop(int) {
  g_stop = 1;
}

int fail(const std::string& reason, int code) {
  std::cerr << "orvellan-sim: " << reason << "\n";
  return code;
}

// Runs the control lines of a script file; the first refused line stops it.
std::string run_script(sim::Simulator& simulator, const std::string& path) {
  std::ifstream in(path);
  if (!in) return "cannot read script " + path;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string answer = simulator.control(line);
    if (answer.rfind("ERR", 0) == 0 || answer.find("\nERR") != std::string::npos)
      return path + ":" + std::to_string(number) + ": " + answer.substr(0, answer.size() - 1);
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = sim::parse_options(argc, argv);
  if (const auto* error = std::get_if<std::string>(&parsed)) return fail(*error, 2);
  const sim::Options& options = std::get<sim::Options>(parsed);
  if (options.help) {
    std::cout << sim::kUsage << "\nControl channel:\n" << sim::kControlHelp;
    return 0;
  }

  sim::SystemClock clock(-std::int64_t{options.clock_behind_s});
  sim::Simulator simulator(options, clock);
  if (options.verbose) {
    auto trace = [](const std::string& text) { std::cerr << "orvellan-sim: " << text << "\n"; };
    simulator.trace = trace;
    simulator.main_bus().trace = trace;
    for (int i = 1; i <= options.converters; ++i)
      if (auto* bus = simulator.find_bus("c" + std::to_string(i))) bus->trace = trace;
  }
  if (!options.script.empty()) {
    const std::string error = run_script(simulator, options.script);
    if (!error.empty()) return fail(error, 2);
  }

  struct sigaction action {};
  action.sa_handler = request_stop;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  sim::Server server(options, simulator);
  const std::string error = server.open();
  if (!error.empty()) return fail(error, 1);
  std::cerr << "orvellan-sim: ready: " << server.describe() << std::endl;
  server.run(g_stop);
  return 0;
}
