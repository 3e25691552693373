// The simulator's control channel, from inside the Windows test driver.
#pragma once

#include <string>
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
  // Back to a quiet simulator: no faults, no delay, every unit in its
  // factory state, an empty log.
  void reset();

 private:
  unsigned long long socket_;
  std::string pending_;
};

}  // namespace e2e
