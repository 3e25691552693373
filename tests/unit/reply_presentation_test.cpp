#include "app/reply_presentation.h"

#include <gtest/gtest.h>

#include "link/dispatch.h"
#include "link/reply_roads.h"
#include "test_support.h"

namespace orv {
namespace {

// A whole exchange without Windows: dispatch, then replies or silence, then
// the ticks of timer 1, collecting every box the window would show.
class Presentation : public ::testing::Test, public test::SessionWithLinks {
 protected:
  void send() { dispatch_command(session.exchange, session.route(), "CTI01ON\r\n"); }
  void reply(std::string_view line) {
    ReplyTarget target{session.settings, session.awaitedGlyphCode, &session.status};
    handle_serial_reply(session.exchange, target, session.framing(), line);
  }
  std::vector<Timer1Decision> ticks(int count) {
    std::vector<Timer1Decision> shown;
    for (int i = 0; i < count; ++i) {
      Timer1Decision d = timer1_tick(session.exchange);
      if (d.box.kind != BoxKind::none || d.close_current_dialog || d.stop_status_poll)
        shown.push_back(d);
    }
    return shown;
  }
  Exchange& exchange() { return session.exchange; }
};

TEST_F(Presentation, ConditionDuringABulkRunIsShownOnceAndStopsIt) {
  exchange().begin_bulk_step();
  send();
  reply("E1\r\n");
  EXPECT_EQ(ticks(20).size(), 1u);
  EXPECT_EQ(exchange().result_code(), ResultCode::reported);
}

TEST_F(Presentation, SuppressedConditionsAreDroppedWithoutABox) {
  send();
  reply("ALARM\r\n");
  exchange().set_suppress_errors(true);
  EXPECT_TRUE(ticks(20).empty());
  EXPECT_EQ(exchange().result_code(), ResultCode::none);
}

// A condition beeps and is shown before the success that came with it.
TEST_F(Presentation, ConditionTakesPrecedenceOverSuccess) {
  send();
  reply("GO\r\n");
  exchange().condition(ResultCode::lock);
  const Timer1Decision first = timer1_tick(exchange());
  EXPECT_EQ(first.box.kind, BoxKind::condition);
  EXPECT_TRUE(first.box.beep);
  const Timer1Decision second = timer1_tick(exchange());
  EXPECT_EQ(second.box.kind, BoxKind::connected);
  EXPECT_FALSE(second.box.beep);
}

TEST_F(Presentation, StatusWindowIsClosedOnFailureAndShowsNoSuccessBox) {
  exchange().set_close_on_failure(true);
  send();
  reply("GO\r\n");
  EXPECT_TRUE(ticks(3).empty());  // success consumed silently

  send();
  const auto timed_out = ticks(20);
  ASSERT_EQ(timed_out.size(), 1u);
  EXPECT_EQ(timed_out[0].box.kind, BoxKind::no_connect);
  EXPECT_TRUE(timed_out[0].close_current_dialog);
  EXPECT_FALSE(exchange().close_on_failure());

  exchange().abandon();
  exchange().set_close_on_failure(true);
  send();
  reply("E3\r\n");
  const Timer1Decision d = timer1_tick(exchange());
  EXPECT_TRUE(d.stop_status_poll);
  EXPECT_EQ(d.box.text, "Command Error");
  EXPECT_TRUE(d.close_current_dialog);
}

}  // namespace
}  // namespace orv
