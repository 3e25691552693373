#include <gtest/gtest.h>

#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "test_support.h"

namespace orv {
namespace {

std::string set_line(int step, const DeviceSettings& s) {
  return set_all_step(step, s).command.text;
}

TEST(SetAllSteps, FirstTwoStepsFollowThePatternInForce) {
  DeviceSettings s = settings_for_model(kModelOrvellan);
  s.currentScreenPattern = kFreeLayout;
  s.screenPatterns[kFreeLayout][0] = 40;  // SP09
  EXPECT_EQ(set_line(1, s), "OPFR\r\n");
  EXPECT_EQ(set_line(2, s).substr(0, 5), "OSS09");
  s.currentScreenPattern = 4;
  s.screenPatterns[4][0] = 3;
  EXPECT_EQ(set_line(1, s), "OP05\r\n");
  EXPECT_EQ(set_line(2, s).substr(0, 5), "OSI04");
  s.currentScreenPattern = 90;  // only a damaged file can hold this
  EXPECT_FALSE(set_all_step(1, s).command.sendable());
  EXPECT_FALSE(set_all_step(2, s).command.sendable());
}

// A title that cannot be sent: the command-line tool's set-all (cli_test.cpp).
TEST(SetAllSteps, AnUnsendablePasswordIsNotTakenForATitle) {
  DeviceSettings s = settings_for_model(kModelOrvellan);
  set_buffer_text(s.password, "12");
  const BulkStep password = set_all_step(175, s);
  EXPECT_FALSE(password.command.sendable());
  EXPECT_FALSE(password.title_unsendable);
}

// A run of `steps` labelled steps, and what a tick asked for, as text.
class Run : public ::testing::Test {
 protected:
  static BulkStep step(int s) { return BulkStep{Command::line("S"), std::to_string(s)}; }
  bool start(int steps) { return run.start(e, steps, step); }
  std::string tick() {
    const BulkRun::Tick t = run.tick(e);
    if (t.kind == BulkRun::Tick::Kind::wait) return "wait";
    if (t.kind == BulkRun::Tick::Kind::ended) return t.completed ? "completed" : "ended";
    e.sent();
    return "send " + t.step.label;
  }
  void reply(const char* what) {
    if (std::string(what) == "GO")
      e.acknowledged();
    else
      e.condition(ResultCode::lock);
    e.reply_handled();
  }
  Exchange e;
  BulkRun run;
};

TEST_F(Run, StepsOnePerTickAfterEachReplyAndCompletesOnTheLast) {
  ASSERT_TRUE(start(3));
  EXPECT_EQ(tick(), "send 1");
  EXPECT_EQ(tick(), "wait");
  reply("GO");
  EXPECT_EQ(tick(), "send 2");
  EXPECT_EQ(e.bulk_phase(), BulkPhase::running);
  reply("GO");
  EXPECT_EQ(tick(), "send 3");
  EXPECT_EQ(e.bulk_phase(), BulkPhase::last);
  EXPECT_EQ(run.percent(), 100);
  EXPECT_FALSE(run.cancel(e)) << "the last command went out";
  reply("GO");
  EXPECT_EQ(tick(), "completed");
  EXPECT_EQ(e.completion(), Completion::none) << "taken by the run";
  EXPECT_FALSE(run.running());
}

TEST_F(Run, AConditionEndsTheRunOnceReported) {
  ASSERT_TRUE(start(5));
  tick();
  reply("LOCK");
  EXPECT_EQ(tick(), "wait") << "timer 1 has yet to show it";
  e.condition_reported();
  EXPECT_EQ(tick(), "ended");
  EXPECT_EQ(e.result_code(), ResultCode::none);
  EXPECT_TRUE(start(5)) << "a second run starts afresh";
  EXPECT_EQ(tick(), "send 1");
}

// A unit that has not answered a step is silent, not unlucky: it gets no
// retry; once it answered, a late reply gets the plan's. A run that takes
// its own conditions (the command line, the backup window) ends on one at
// once, naming it.
TEST_F(Run, RetriesOnceTheUnitAnsweredAndConditionsTheRunTakesItself) {
  ASSERT_TRUE(run.start(e, BulkRun::Plan{4, step, 2, true}));
  EXPECT_EQ(tick(), "send 1");
  EXPECT_EQ(run.retries_now(), 0);
  run.answered();
  reply("GO");
  EXPECT_EQ(tick(), "send 2");
  EXPECT_EQ(run.retries_now(), 2);
  reply("LOCK");
  const BulkRun::Tick ended = run.tick(e);
  EXPECT_EQ(ended.kind, BulkRun::Tick::Kind::ended);
  EXPECT_EQ(ended.condition, ResultCode::lock);
  EXPECT_FALSE(run.running());
}

TEST_F(Run, CancelAndRefusedStarts) {
  e.sent();
  EXPECT_FALSE(start(2)) << "a reply is awaited";
  e.reply_handled();
  ASSERT_TRUE(start(2));
  EXPECT_FALSE(start(2)) << "already running";
  tick();
  EXPECT_TRUE(run.cancel(e));
  EXPECT_FALSE(e.awaiting_reply()) << "the reply is no longer awaited";
  EXPECT_EQ(tick(), "wait") << "nothing runs";

  e.send_failure();  // a single command that could not go out, reported then
  ASSERT_TRUE(start(2));
  EXPECT_EQ(tick(), "send 1");
}

}  // namespace
}  // namespace orv
