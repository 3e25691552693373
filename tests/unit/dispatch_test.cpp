#include "link/dispatch.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "protocol/commands.h"
#include "protocol/replies.h"
#include "test_support.h"

namespace orv {
namespace {

class Dispatch : public ::testing::Test {
 protected:
  AppState state;
  test::RecordingTransport port;
};

TEST_F(Dispatch, Rs232cSendsTheLineUnchangedWhateverTheAddress) {
  state.slaveAddress = 5;
  dispatch_command(state, port, "ROP\r\n");
  ASSERT_EQ(port.serial.size(), 1u);
  EXPECT_EQ(port.serial[0], "ROP\r\n");
  EXPECT_EQ(state.reply.awaiting_reply, 1);
  EXPECT_EQ(state.reply.wait_ticks, 1);
}

TEST_F(Dispatch, Rs485PutsTheTwoDigitAddressInFront) {
  state.config.control = 1;
  state.slaveAddress = 5;
  dispatch_command(state, port, "ROP\r\n");
  EXPECT_EQ(port.serial.at(0), "05ROP\r\n");
  state.slaveAddress = 31;
  dispatch_command(state, port, "CTI12ON\r\n");
  EXPECT_EQ(port.serial.at(1), "31CTI12ON\r\n");
}

TEST_F(Dispatch, BroadcastCompletesAtOnceByBulkPhase) {
  state.config.control = 1;
  state.slaveAddress = kBroadcastAddress;
  state.reply.result_code = 7;
  dispatch_command(state, port, "ROP\r\n");
  EXPECT_EQ(port.serial.at(0), "FFROP\r\n");
  EXPECT_EQ(state.reply.awaiting_reply, 0);
  EXPECT_EQ(state.reply.wait_ticks, 0);
  EXPECT_EQ(state.reply.result_code, 0);
  EXPECT_EQ(state.reply.completion, kCompletedSingle);

  state.reply.completion = 0;
  state.reply.bulk_phase = kBulkRunning;
  dispatch_command(state, port, "ROP\r\n");
  EXPECT_EQ(state.reply.completion, 0);
  state.reply.bulk_phase = kBulkLastCommand;
  dispatch_command(state, port, "ROE\r\n");
  EXPECT_EQ(state.reply.completion, kCompletedBulk);
}

TEST_F(Dispatch, BroadcastOnRs232cIsAnOrdinaryCommand) {
  state.slaveAddress = kBroadcastAddress;
  dispatch_command(state, port, "ROP\r\n");
  EXPECT_EQ(port.serial.at(0), "ROP\r\n");
  EXPECT_EQ(state.reply.awaiting_reply, 1);
  EXPECT_EQ(state.reply.completion, 0);
}

TEST_F(Dispatch, TcpSendsUnchangedThroughTheSocketBranch) {
  state.config.interface_set = 1;
  state.config.control = 1;
  state.slaveAddress = 5;
  state.reply.send_failed = 1;
  dispatch_command(state, port, "ROP\r\n");
  EXPECT_TRUE(port.serial.empty());
  EXPECT_EQ(port.tcp.at(0), "ROP\r\n");
  EXPECT_EQ(state.reply.send_failed, 0);
  EXPECT_EQ(state.reply.awaiting_reply, 1);
}

TEST_F(Dispatch, LinesTooLongForThePortAreRefusedNotCut) {
  state.config.control = 1;
  state.slaveAddress = 2;
  const std::string longest(597, 'A');
  dispatch_command(state, port, longest);
  EXPECT_EQ(port.serial.at(0).size(), 599u);
  dispatch_command(state, port, std::string(598, 'A'));
  EXPECT_EQ(port.serial.size(), 1u);
  EXPECT_EQ(state.reply.result_code, kResultCommandError);
  EXPECT_EQ(state.reply.awaiting_reply, 0);
  EXPECT_EQ(state.reply.wait_ticks, 0);
}

TEST_F(Dispatch, RefusedCommandsSendNothingAndReportAsTheCatalogueSays) {
  EXPECT_FALSE(send_command(state, port, build_password("12a456")));
  EXPECT_EQ(state.reply.result_code, kResultCommandError);
  state.reply.result_code = 0;
  EXPECT_FALSE(send_command(state, port, build_set_month(13)));
  EXPECT_EQ(state.reply.result_code, 0);
  EXPECT_TRUE(port.serial.empty());
  EXPECT_EQ(state.reply.awaiting_reply, 0);
}

TEST_F(Dispatch, ConverterCommandsGoOverTheSerialLineEvenOnTcp) {
  state.config.interface_set = 1;
  EXPECT_TRUE(send_serial_command(state, port, build_converter_read(0)));
  EXPECT_EQ(port.serial.at(0), "REIA\r\n");
  EXPECT_TRUE(port.tcp.empty());
}

TEST_F(Dispatch, ResetLeavesTheConsumersFieldsAlone) {
  ReplyWaitState& r = state.reply;
  r = ReplyWaitState{3, 1, 1, 8, 2, 2, 40, 7, 1, 1};
  reset_reply_state(r);
  EXPECT_EQ(r.wait_ticks, 0);
  EXPECT_EQ(r.awaiting_reply, 0);
  EXPECT_EQ(r.send_failed, 0);
  EXPECT_EQ(r.result_code, 0);
  EXPECT_EQ(r.bulk_phase, 0);
  EXPECT_EQ(r.bulk_step, 0);
  EXPECT_EQ(r.bulk_timer, 0);
  EXPECT_EQ(r.completion, 2);
  EXPECT_EQ(r.suppress_errors, 1);
  EXPECT_EQ(r.close_on_failure, 1);
}

}  // namespace
}  // namespace orv
