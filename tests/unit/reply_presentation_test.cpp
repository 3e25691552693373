#include "app/reply_presentation.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "link/dispatch.h"
#include "protocol/replies.h"
#include "test_support.h"

namespace orv {
namespace {

// A whole exchange without Windows: dispatch, then replies or silence, then
// the ticks of timer 1, collecting every box the window would show.
class Exchange : public ::testing::Test {
 protected:
  void send() { dispatch_command(state, port, "CTI01ON\r\n"); }
  std::vector<Timer1Decision> ticks(int count) {
    std::vector<Timer1Decision> shown;
    for (int i = 0; i < count; ++i) {
      Timer1Decision d = timer1_tick(state.reply);
      if (d.box.kind != BoxKind::none || d.close_current_dialog || d.stop_status_poll)
        shown.push_back(d);
    }
    return shown;
  }
  AppState state;
  test::RecordingTransport port;
};

TEST_F(Exchange, AcknowledgementShowsSuccessOnceOnTheNextTick) {
  send();
  handle_serial_reply(state, "GO\r\n");
  const auto shown = ticks(30);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].box.kind, BoxKind::connected);
  EXPECT_EQ(shown[0].box.text, "Success");
  EXPECT_EQ(shown[0].box.caption, "接続成功");
  EXPECT_FALSE(shown[0].box.beep);
}

TEST_F(Exchange, SilenceTimesOutOnTheFifteenthTickOnce) {
  send();
  for (int tick = 1; tick <= 14; ++tick) {
    EXPECT_EQ(timer1_tick(state.reply).box.kind, BoxKind::none) << tick;
    EXPECT_EQ(state.reply.wait_ticks, tick + 1);
  }
  const Timer1Decision fifteenth = timer1_tick(state.reply);
  EXPECT_EQ(fifteenth.box.kind, BoxKind::no_connect);
  EXPECT_EQ(fifteenth.box.text, "No Connect");
  EXPECT_EQ(fifteenth.box.caption, "接続失敗");
  EXPECT_TRUE(fifteenth.box.icon_error);
  EXPECT_FALSE(fifteenth.box.beep);
  EXPECT_EQ(state.reply.awaiting_reply, 0);
  EXPECT_EQ(state.reply.result_code, 0);  // a single command: nothing left to stop
  EXPECT_TRUE(ticks(40).empty());
}

TEST_F(Exchange, EachConditionIsShownOnceUnderError) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"MENU\r\n", "Menu Display"}, {"ALARM\r\n", "Alarm Display"}, {"LOCK\r\n", "Lock Display"},
      {"GN\r\n", "Mode Error"},     {"E0\r\n", "Framing Error"},    {"E1\r\n", "Parity Error"},
      {"E2\r\n", "Over Run Error"}, {"E3\r\n", "Command Error"},    {"OP99\r\n", "Command Error"}};
  for (const auto& [line, text] : cases) {
    send();
    handle_serial_reply(state, line);
    const auto shown = ticks(20);
    ASSERT_EQ(shown.size(), 1u) << line;
    EXPECT_EQ(shown[0].box.kind, BoxKind::condition);
    EXPECT_EQ(shown[0].box.text, text);
    EXPECT_EQ(shown[0].box.caption, "Error");
    EXPECT_TRUE(shown[0].box.beep);
    EXPECT_EQ(state.reply.result_code, 0);
  }
}

TEST_F(Exchange, ConditionDuringABulkRunLeavesTheStopCode) {
  state.reply.bulk_phase = kBulkRunning;
  send();
  handle_serial_reply(state, "E1\r\n");
  const Timer1Decision d = timer1_tick(state.reply);
  EXPECT_EQ(d.box.text, "Parity Error");
  EXPECT_EQ(state.reply.result_code, kResultReported);
  EXPECT_EQ(state.reply.wait_ticks, 0);
  EXPECT_EQ(timer1_tick(state.reply).box.kind, BoxKind::none);  // 10 is never shown
}

TEST_F(Exchange, TimeOutDuringABulkRunStopsIt) {
  state.reply.bulk_phase = kBulkRunning;
  send();
  ticks(15);
  EXPECT_EQ(state.reply.result_code, kResultReported);
}

TEST_F(Exchange, SuppressedConditionsAreDroppedWithoutABox) {
  send();
  handle_serial_reply(state, "ALARM\r\n");
  state.reply.suppress_errors = 1;
  EXPECT_TRUE(ticks(20).empty());
  EXPECT_EQ(state.reply.result_code, 0);
}

TEST_F(Exchange, ConditionTakesPrecedenceOverSuccess) {
  state.reply.completion = kCompletedSingle;
  state.reply.result_code = kResultLock;
  EXPECT_EQ(timer1_tick(state.reply).box.kind, BoxKind::condition);
  EXPECT_EQ(timer1_tick(state.reply).box.kind, BoxKind::connected);
}

TEST_F(Exchange, BroadcastSucceedsWithoutAReply) {
  state.config.control = 1;
  state.slaveAddress = kBroadcastAddress;
  send();
  const auto shown = ticks(20);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].box.kind, BoxKind::connected);
}

TEST_F(Exchange, StatusWindowIsClosedOnFailureAndShowsNoSuccessBox) {
  state.reply.close_on_failure = 1;
  send();
  handle_serial_reply(state, "GO\r\n");
  EXPECT_TRUE(ticks(3).empty());  // success consumed silently

  send();
  const auto timed_out = ticks(20);
  ASSERT_EQ(timed_out.size(), 1u);
  EXPECT_EQ(timed_out[0].box.kind, BoxKind::no_connect);
  EXPECT_TRUE(timed_out[0].close_current_dialog);
  EXPECT_EQ(state.reply.result_code, kResultReported);
  EXPECT_EQ(state.reply.close_on_failure, 0);

  state.reply.close_on_failure = 1;
  state.reply.result_code = 0;
  send();
  handle_serial_reply(state, "E3\r\n");
  const Timer1Decision d = timer1_tick(state.reply);
  EXPECT_TRUE(d.stop_status_poll);
  EXPECT_EQ(d.box.text, "Command Error");
  EXPECT_TRUE(d.close_current_dialog);
}

}  // namespace
}  // namespace orv
