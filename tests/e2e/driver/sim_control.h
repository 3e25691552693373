// The simulator's control channel, from inside the Windows test driver.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace e2e {

class SimControl {
 public:
  // "127.0.0.1:9301"
  explicit SimControl(const std::string& endpoint);
  ~SimControl();
  SimControl(const SimControl&) = delete;
  SimControl& operator=(const SimControl&) = delete;

  // Sends one command; returns the whole answer (its last line is OK… or ERR…).
  std::string command(const std::string& line);
  // The value of a one-line "OK value" answer; empty on ERR.
  std::string value(const std::string& line);
  // The lines a unit received since the log was cleared, as "raw" texts with
  // CR and LF escaped (\r\n).
  std::vector<std::string> received(const std::string& unit = "");
  // When a bus (main, cN) received its first and its last line since its
  // log was cleared, in seconds since the simulator started; {-1, -1} when
  // it received none.
  std::pair<double, double> first_and_last(const std::string& bus);
  // Back to a quiet simulator: no faults, no delay, every unit in its
  // factory state, an empty log.
  void reset();

 private:
  unsigned long long socket_;
  std::string pending_;
};

}  // namespace e2e
