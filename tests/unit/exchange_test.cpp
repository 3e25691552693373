#include "link/exchange.h"

#include <gtest/gtest.h>

#include <functional>

#include "link/dispatch.h"
#include "protocol/commands.h"
#include "test_support.h"

namespace orv {
namespace {

struct Seen {
  int wait_ticks;
  bool awaiting_reply;
  bool send_failed;
  ResultCode result;
  Completion completion;
  bool operator==(const Seen&) const = default;
};

Seen seen(const Exchange& e) {
  return {e.wait_ticks(), e.awaiting_reply(), e.send_failed(), e.result_code(), e.completion()};
}

void ticks(Exchange& e, int count) {
  for (int i = 0; i < count; ++i) e.tick();
}

using R = ResultCode;
using C = Completion;

TEST(Exchange, TransitionTable) {
  struct Row {
    const char* what;
    std::function<void(Exchange&)> steps;
    Seen expected;
  };
  const std::vector<Row> rows{
      {"a single command goes out",
       [](Exchange& e) {
         e.begin_single_command();
         e.sent();
       },
       {1, true, false, R::none, C::none}},
      {"its acknowledgement completes it",
       [](Exchange& e) {
         e.begin_single_command();
         e.sent();
         e.acknowledged();
         e.reply_handled();
       },
       {0, false, false, R::none, C::single}},
      {"an acknowledgement mid-run completes nothing",
       [](Exchange& e) {
         e.begin_bulk_step();
         e.sent();
         e.acknowledged();
         e.reply_handled();
       },
       {0, false, false, R::none, C::none}},
      {"the last step's acknowledgement completes the run",
       [](Exchange& e) {
         e.begin_last_bulk_step();
         e.sent();
         e.acknowledged();
         e.reply_handled();
       },
       {0, false, false, R::none, C::bulk}},
      {"an acknowledgement nobody waits for completes nothing",
       [](Exchange& e) { e.acknowledged(); },
       {0, false, false, R::none, C::none}},
      {"a condition",
       [](Exchange& e) {
         e.sent();
         e.condition(R::lock);
         e.reply_handled();
       },
       {0, false, false, R::lock, C::none}},
      {"a stored reply behind an unreported condition completes nothing",
       [](Exchange& e) {
         e.sent();
         e.condition(R::menu);
         e.reply_stored();
       },
       {1, true, false, R::menu, C::none}},
      {"a Broadcast is done at once",
       [](Exchange& e) {
         e.condition(R::lock);
         e.sent();
         e.sent_without_reply();
       },
       {0, false, false, R::none, C::single}},
      {"a Broadcast mid-run completes nothing",
       [](Exchange& e) {
         e.begin_bulk_step();
         e.sent();
         e.sent_without_reply();
       },
       {0, false, false, R::none, C::none}},
      {"a refused command",
       [](Exchange& e) {
         e.sent();
         e.refused();
       },
       {0, false, false, R::command_error, C::none}},
      {"a failed send",
       [](Exchange& e) {
         e.sent();
         e.send_failure();
       },
       {0, false, true, R::none, C::none}},
      {"fourteen ticks still wait",
       [](Exchange& e) {
         e.sent();
         ticks(e, 14);
       },
       {15, true, false, R::none, C::none}},
      {"the fifteenth tick times a single command out",
       [](Exchange& e) {
         e.sent();
         ticks(e, 15);
       },
       {0, false, false, R::none, C::none}},
      {"a time-out stops a run",
       [](Exchange& e) {
         e.begin_bulk_step();
         e.sent();
         ticks(e, 15);
       },
       {0, false, false, R::reported, C::none}},
      {"a time-out stops the status window",
       [](Exchange& e) {
         e.set_close_on_failure(true);
         e.sent();
         ticks(e, 15);
       },
       {0, false, false, R::reported, C::none}},
      {"a condition shown for a single command is done",
       [](Exchange& e) {
         e.sent();
         e.condition(R::parity_error);
         e.reply_handled();
         e.condition_reported();
       },
       {0, false, false, R::none, C::none}},
      {"a condition shown mid-run stops the run",
       [](Exchange& e) {
         e.begin_bulk_step();
         e.condition(R::menu);
         e.condition_reported();
       },
       {0, false, false, R::reported, C::none}},
      {"abandon ends everything but the completion",
       [](Exchange& e) {
         e.begin_last_bulk_step();
         e.sent();
         e.acknowledged();
         e.sent();
         e.condition(R::alarm);
         e.send_failure();
         e.abandon();
       },
       {0, false, false, R::none, C::bulk}},
  };
  for (const Row& row : rows) {
    Exchange e;
    row.steps(e);
    EXPECT_EQ(seen(e), row.expected) << row.what;
  }
  Exchange e;
  e.set_suppress_errors(true);
  e.set_close_on_failure(true);
  e.begin_bulk_step();
  e.abandon();
  EXPECT_TRUE(e.suppress_errors() && e.close_on_failure()) << "abandon leaves them to their owners";
  EXPECT_EQ(e.bulk_phase(), BulkPhase::single);
}

class Dispatch : public ::testing::Test, public test::SessionWithLinks {
 protected:
  DispatchResult send(std::string_view command) {
    return dispatch_command(session.exchange, session.route(), command);
  }
};

TEST_F(Dispatch, SerialFramingByLineAndAddress) {
  session.slaveAddress = 5;
  send("ROP\r\n");
  session.config.control = 1;
  send("ROP\r\n");
  session.slaveAddress = 31;
  send("CTI12ON\r\n");
  EXPECT_EQ(serial.sent, (std::vector<std::string>{"ROP\r\n", "05ROP\r\n", "31CTI12ON\r\n"}));
  EXPECT_TRUE(session.exchange.awaiting_reply());
  EXPECT_TRUE(tcp.sent.empty());
}

TEST_F(Dispatch, BroadcastGoesToEveryUnitAndIsDoneAtOnce) {
  session.config.control = 1;
  session.slaveAddress = kBroadcastAddress;
  send("ROP\r\n");
  EXPECT_EQ(serial.sent.at(0), "FFROP\r\n");
  EXPECT_FALSE(session.exchange.awaiting_reply());
  EXPECT_EQ(session.exchange.completion(), Completion::single);
}

TEST_F(Dispatch, TcpSendsTheLineUnchanged) {
  session.config.interface_set = 1;
  session.config.control = 1;
  session.slaveAddress = 5;
  EXPECT_TRUE(send("ROP\r\n").sent);
  EXPECT_EQ(tcp.sent, (std::vector<std::string>{"ROP\r\n"}));
  EXPECT_TRUE(serial.sent.empty());
}

TEST_F(Dispatch, LinesTooLongForThePortAreRefusedNotCut) {
  session.config.control = 1;
  send(std::string(597, 'A'));
  EXPECT_EQ(serial.sent.at(0).size(), 599u);
  send(std::string(598, 'A'));
  EXPECT_EQ(serial.sent.size(), 1u);
  EXPECT_EQ(session.exchange.result_code(), ResultCode::command_error);
  EXPECT_FALSE(session.exchange.awaiting_reply());
}

TEST_F(Dispatch, RefusedCommandsSendNothingAndReportAsTheCatalogueSays) {
  send_to_unit(session, build_password("12a456"));
  EXPECT_EQ(session.exchange.result_code(), ResultCode::command_error);
  session.exchange.abandon();
  send_to_unit(session, build_set_month(13));
  EXPECT_EQ(session.exchange.result_code(), ResultCode::none);
  EXPECT_TRUE(serial.sent.empty());
}

TEST_F(Dispatch, ConverterCommandsGoOverTheSerialLineEvenOnTcp) {
  session.config.interface_set = 1;
  send_to_converter(session, build_converter_read(0));
  EXPECT_EQ(serial.sent, (std::vector<std::string>{"REIA\r\n"}));
  EXPECT_TRUE(tcp.sent.empty());
}

TEST_F(Dispatch, FailedTcpSendsAreReportedAndCloseTheStatusWindow) {
  session.config.interface_set = 1;
  tcp.connected = false;
  DispatchResult result = send("ROS\r\n");
  EXPECT_EQ(result.failure, kSocketNotConnected);
  EXPECT_FALSE(result.close_current_dialog);
  EXPECT_TRUE(session.exchange.send_failed());
  EXPECT_FALSE(session.exchange.awaiting_reply());

  tcp.connected = true;
  tcp.accepts = false;
  session.exchange.set_close_on_failure(true);
  result = send("ROS\r\n");
  EXPECT_EQ(result.failure, kSocketSendFailed);
  EXPECT_TRUE(result.close_current_dialog);
  EXPECT_FALSE(session.exchange.close_on_failure()) << "the window is closed once";

  tcp.accepts = true;
  EXPECT_TRUE(send("ROS\r\n").failure.empty());
  EXPECT_FALSE(session.exchange.send_failed()) << "each dispatch starts afresh";
}

}  // namespace
}  // namespace orv
