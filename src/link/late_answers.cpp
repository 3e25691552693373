#include "link/late_answers.h"

namespace orv {

void LateAnswers::expect(std::string_view answer, int tries, Instant until) {
  answer_ = answer;
  expected_ = tries - 1;
  until_ = until;
}

bool LateAnswers::drop(std::string_view line, Instant now) {
  if (expected_ <= 0 || now > until_ || line != answer_) return false;
  --expected_;
  return true;
}

}  // namespace orv
