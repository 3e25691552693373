// A built command line, or the reason it was not built.
#pragma once

#include <string>

namespace orv {

struct Command {
  enum class Refusal {
    none,           // text holds the complete line with its CR LF
    silent,         // nothing is sent and nothing is reported
    command_error,  // nothing is sent; reported as "Command Error" (result code 8)
  };

  std::string text;
  Refusal refusal = Refusal::none;

  bool sendable() const { return refusal == Refusal::none; }
  static Command line(std::string text) { return Command{std::move(text), Refusal::none}; }
  static Command refused(Refusal why = Refusal::command_error) { return Command{{}, why}; }
};

}  // namespace orv
