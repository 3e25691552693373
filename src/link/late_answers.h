// A command that went out again may be answered twice: late, to an earlier
// try, and to the try after it. The first answer that arrives is the
// command's; the others, identical and within the time a reply may take,
// are dropped, so that none of them answers the next command.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace orv {

class LateAnswers {
 public:
  using Instant = std::chrono::milliseconds;  // on the owner's clock

  // `answer` answered a command after `tries` tries: up to tries - 1 more
  // of it may come until `until`.
  void expect(std::string_view answer, int tries, Instant until);
  // True, and one fewer expected, when `line` is one of them.
  bool drop(std::string_view line, Instant now);

 private:
  std::string answer_;
  int expected_ = 0;
  Instant until_{};
};

}  // namespace orv
