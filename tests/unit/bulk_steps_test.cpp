#include <gtest/gtest.h>

#include "bulk/read_all_steps.h"
#include "bulk/set_all_steps.h"
#include "test_support.h"

namespace orv {
namespace {

std::string read_line(int step, int inputs) {
  return read_all_step(step, inputs).command.text;
}

DeviceSettings settings_for(int model) {
  DeviceSettings s;
  apply_model(s, model);
  return s;
}

std::string set_line(int step, const DeviceSettings& s) {
  return set_all_step(step, s).command.text;
}

TEST(ReadAllSteps, CountsByModel) {
  EXPECT_EQ(read_all_step_count(32), 175);
  EXPECT_EQ(read_all_step_count(64), 207);
}

TEST(ReadAllSteps, GroupBoundariesByModel) {
  EXPECT_EQ(read_line(1, 32), "ROP\r\n");
  EXPECT_EQ(read_line(65, 32), "ROP64\r\n");
  EXPECT_EQ(read_line(66, 32), "RSP01\r\n");
  EXPECT_EQ(read_line(130, 32), "RTSDR\r\n");
  EXPECT_EQ(read_line(134, 32), "RCT01\r\n");
  EXPECT_EQ(read_line(165, 32), "RCT32\r\n");
  EXPECT_EQ(read_line(166, 32), "RCTI\r\n");
  EXPECT_EQ(read_line(175, 32), "ROE\r\n");
  EXPECT_FALSE(read_all_step(176, 32).command.sendable());
  EXPECT_FALSE(read_all_step(0, 32).command.sendable());
  EXPECT_EQ(read_line(197, 64), "RCT64\r\n");
  EXPECT_EQ(read_line(198, 64), "RCTI\r\n");
  EXPECT_EQ(read_line(207, 64), "ROE\r\n");
  EXPECT_EQ(read_all_step(197, 64).label, "title ch.64");
}

TEST(ReadAllSteps, PercentGoesFromOneToOneHundred) {
  EXPECT_EQ(bulk_percent(1, 175), 0);
  EXPECT_EQ(bulk_percent(2, 175), 1);
  EXPECT_EQ(bulk_percent(175, 175), 100);
  EXPECT_EQ(bulk_percent(64, 64), 100);
}

TEST(SetAllSteps, CountsByModel) {
  EXPECT_EQ(set_all_step_count(32), 176);
  EXPECT_EQ(set_all_step_count(64), 208);
}

TEST(SetAllSteps, FirstTwoStepsFollowThePatternInForce) {
  DeviceSettings s = settings_for(kModelOrvellan);
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

TEST(SetAllSteps, GroupBoundariesByModel) {
  const DeviceSettings s = settings_for(kModelOrvellan);
  EXPECT_EQ(set_line(3, s).substr(0, 4), "OP01");
  EXPECT_EQ(set_line(67, s), "SP01" + test::repeat("03", 32) + "\r\n");
  EXPECT_EQ(set_line(131, s), "TSDR1\r\n");
  EXPECT_EQ(set_line(134, s), "TSO" + std::string(32, 'N') + "\r\n");
  EXPECT_EQ(set_line(166, s).substr(0, 4), "CT32");
  EXPECT_EQ(set_line(169, s), "CTPI" + std::string(32, 'B') + "\r\n");
  EXPECT_EQ(set_line(172, s), "CTAB08\r\n");
  EXPECT_EQ(set_line(175, s), "PN482915\r\n");
  EXPECT_EQ(set_line(176, s), "OE" + std::string(32, 'N') + "\r\n");
  const DeviceSettings t = settings_for(kModelTarquine);
  EXPECT_EQ(set_line(133, t), "TSI" + std::string(64, 'N') + "\r\n");
  EXPECT_EQ(set_line(198, t).substr(0, 4), "CT64");
  EXPECT_EQ(set_line(199, t), "CTI" + std::string(64, 'N') + "\r\n");
  EXPECT_EQ(set_line(208, t), "OE" + std::string(32, 'N') + "\r\n");
}

TEST(SetAllSteps, DefaultTitleOfChannelTwoIsSentAsJis) {
  const DeviceSettings s;
  // 　　　　　ＣＨ０２ then 19 more ideographic spaces.
  EXPECT_EQ(set_line(136, s), "CT02" + test::repeat("2121", 5) +
                                  "2343"
                                  "2348"
                                  "2330"
                                  "2332" +
                                  test::repeat("2121", 19) + "\r\n");
}

TEST(SetAllSteps, UnsendableTitleAndPasswordAreReportedByStep) {
  DeviceSettings s = settings_for(kModelOrvellan);
  set_title(s.titles[1],
            "\x82\xa0"
            "A");
  const BulkStep title = set_all_step(136, s);
  EXPECT_FALSE(title.command.sendable());
  EXPECT_TRUE(title.title_unsendable);
  EXPECT_EQ(title.label, "title ch.02");
  set_buffer_text(s.password, "12");
  const BulkStep password = set_all_step(175, s);
  EXPECT_FALSE(password.command.sendable());
  EXPECT_FALSE(password.title_unsendable);
}

// A run of `steps` labelled steps, and what a tick asked for, as text.
class Run : public ::testing::Test {
 protected:
  bool start(int steps) {
    return run.start(e, steps, [](int s) {
      return BulkStep{Command::line("S"), std::to_string(s)};
    });
  }
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
}

TEST(BulkTick, StopsWaitsOrSends) {
  Exchange e;
  EXPECT_EQ(next_bulk_tick(e), BulkTick::send);
  e.begin_bulk_step();
  e.sent();
  e.send_failure();
  EXPECT_EQ(next_bulk_tick(e), BulkTick::finish);
}

}  // namespace
}  // namespace orv
