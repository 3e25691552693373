#include "bus.h"

#include <gtest/gtest.h>

#include "simulator.h"

namespace sim {
namespace {

TEST(SimLineSplitter, LinesEndAtEveryLfAndNoiseLongerThanALineIsDropped) {
  LineSplitter splitter;
  EXPECT_TRUE(splitter.feed("RO").empty());
  EXPECT_EQ(splitter.feed("P\r"), std::vector<std::string>{});
  EXPECT_EQ(splitter.feed("\nROE\r\nR"), (std::vector<std::string>{"ROP\r\n", "ROE\r\n"}));
  EXPECT_TRUE(splitter.feed(std::string(10000, '\x7f')).empty());
  EXPECT_EQ(splitter.feed("junk\r\nROP\r\n"), (std::vector<std::string>{"ROP\r\n"}));
}

class SimBus : public ::testing::Test {
 protected:
  ManualClock clock;
};

TEST_F(SimBus, Rs232cHasOneUnitAndNoAddress) {
  Bus bus(Model::orvellan, LineKind::rs232c, 5, false, clock);
  EXPECT_EQ(bus.unit_count(), 1);
  EXPECT_EQ(bus.handle_line("ROP\r\n", true), "OP01\r\n");
  EXPECT_EQ(bus.handle_line("05ROP\r\n", true), "E3\r\n");
  EXPECT_EQ(bus.log().back().target, "00");
}

TEST_F(SimBus, Rs485AddressesOneUnitAndRepliesCarryTheAddressWhenAsked) {
  Bus bus(Model::orvellan, LineKind::rs485, 8, true, clock);
  EXPECT_EQ(bus.handle_line("05CTI12OF\r\n", true), "05GO\r\n");
  EXPECT_EQ(bus.unit(5)->handle("RCTI")[3 + 11], 'F');
  EXPECT_EQ(bus.unit(7)->handle("RCTI")[3 + 11], 'N');
  EXPECT_EQ(bus.log().back().target, "05");
  EXPECT_EQ(bus.log().back().raw, "05CTI12OF\r\n");
  EXPECT_EQ(bus.handle_line("01ETR6\r\n", true), "01GO\r\n") << "the converter answers beside";
  EXPECT_EQ(bus.handle_line("00RETR\r\n", true), "00ETR6\r\n");
}

TEST_F(SimBus, BroadcastReachesEveryUnitAndNobodyAnswers) {
  Bus bus(Model::orvellan, LineKind::rs485, 4, true, clock);
  EXPECT_FALSE(bus.handle_line("FFCTI03OF\r\n", true).has_value());
  for (int a = 0; a < 4; ++a) EXPECT_EQ(bus.unit(a)->handle("RCTI")[3 + 2], 'F') << a;
  EXPECT_EQ(bus.log().back().target, "FF");
}

TEST_F(SimBus, LinesForAbsentUnitsOrWithoutAddressAreNotAnswered) {
  Bus bus(Model::orvellan, LineKind::rs485, 4, false, clock);
  EXPECT_FALSE(bus.handle_line("09ROP\r\n", true).has_value());
  EXPECT_FALSE(bus.handle_line("ROP\r\n", true).has_value());
  EXPECT_FALSE(bus.handle_line("\r\n", true).has_value());
  EXPECT_EQ(bus.log().back().target, "--");
  // A TCP connection carries no address: the first unit answers.
  EXPECT_EQ(bus.handle_line("ROP\r\n", false), "OP01\r\n");
}

TEST_F(SimBus, FactoryResetRestoresEveryUnitAndTheConverter) {
  Bus bus(Model::tarquine, LineKind::rs485, 3, false, clock);
  bus.handle_line("FFCTI" + std::string(64, 'F') + "\r\n", true);
  bus.handle_line("02EPN10001\r\n", true);
  bus.factory_reset();
  EXPECT_TRUE(bus.log().empty());
  EXPECT_EQ(bus.handle_line("02RCTI\r\n", true), "CTI" + std::string(64, 'N') + "\r\n");
  EXPECT_EQ(bus.handle_line("00REPN\r\n", true), "EPN09004\r\n");
}

class SimShaping : public ::testing::Test {
 protected:
  std::vector<Outgoing> exchange(std::string_view bytes) {
    simulator.receive(link, bytes);
    std::vector<Outgoing> out(link.outgoing.begin(), link.outgoing.end());
    link.outgoing.clear();
    link.busy_until = 0;
    return out;
  }
  Options options;
  ManualClock clock;
  Simulator simulator{options, clock};
  Link link{"serial", simulator.main_bus(), false};
};

TEST_F(SimShaping, FaultsArmedNowForALaterReplyOrACommandPrefix) {
  EXPECT_EQ(simulator.control("fault silence 2"), "OK silence 2, delay 0\n");
  EXPECT_TRUE(exchange("ROP\r\n").empty());
  EXPECT_TRUE(exchange("ROP\r\n").empty());
  EXPECT_EQ(exchange("ROP\r\n").at(0).due_ms, 0) << "then at once again";

  EXPECT_EQ(simulator.control("fault silence 1 after 3"), "OK silence 1 after 3, delay 0\n");
  EXPECT_EQ(exchange("ROP\r\n").size(), 1u);
  EXPECT_EQ(exchange("ROP\r\n").size(), 1u);
  EXPECT_TRUE(exchange("ROP\r\n").empty()) << "the third reply";
  EXPECT_EQ(exchange("ROP\r\n").size(), 1u);

  simulator.control("fault condition E3 1 on RCT0");
  EXPECT_EQ(exchange("RCTI\r\n").at(0).bytes.substr(0, 3), "CTI");
  EXPECT_EQ(exchange("RCT05\r\n").at(0).bytes, "E3\r\n");
  EXPECT_EQ(exchange("RCT06\r\n").at(0).bytes.substr(0, 4), "CT06");

  simulator.control("fault condition LOCK all");
  EXPECT_EQ(exchange("CTI01ON\r\n").at(0).bytes, "LOCK\r\n");
  EXPECT_EQ(exchange("ROP\r\n").at(0).bytes, "LOCK\r\n");
  simulator.control("fault clear");
  EXPECT_EQ(exchange("ROP\r\n").at(0).bytes, "OP01\r\n");
}

TEST_F(SimShaping, ConditionsAndGarblingKeepTheUnitsAddress) {
  Options rs485;
  rs485.line = LineKind::rs485;
  rs485.units = 8;
  rs485.reply_address = true;
  Simulator bus_sim(rs485, clock);
  Link serial("serial", bus_sim.main_bus(), true);
  bus_sim.control("fault condition E1");
  bus_sim.receive(serial, "05ROP\r\n");
  EXPECT_EQ(serial.outgoing.at(0).bytes, "05E1\r\n");
  bus_sim.control("fault garble");
  bus_sim.receive(serial, "05ROP\r\n");
  EXPECT_EQ(serial.outgoing.at(1).bytes, "05#P01\r\n");
  bus_sim.receive(serial, "05ROP\r\n");
  EXPECT_EQ(serial.outgoing.at(2).bytes, "05OP01\r\n") << "one reply only";
}

TEST_F(SimShaping, SplitRepliesComeInPiecesWithPauses) {
  simulator.control("fault split 3 250");
  const auto out = exchange("ROP\r\n");  // OP01\r\n: 6 bytes in pieces of 2
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].bytes + out[1].bytes + out[2].bytes, "OP01\r\n");
  EXPECT_EQ(out[0].bytes, "OP");
  EXPECT_EQ(out[1].due_ms - out[0].due_ms, 250);
  EXPECT_EQ(out[2].due_ms - out[1].due_ms, 250);
}

TEST_F(SimShaping, DelaysAndBaudRateAddUpAndRepliesKeepTheirOrder) {
  simulator.control("delay 1000");
  EXPECT_EQ(exchange("ROP\r\n").at(0).due_ms, 1000);
  simulator.shaper().set_baud(9600);
  simulator.shaper().set_reply_delay(20);
  // 6 bytes * 11 bits at 9600 baud: 6 ms.
  EXPECT_EQ(exchange("ROP\r\n").at(0).due_ms, 1000 + 20 + 6);
  simulator.control("delay 0");
  // A whole pattern reply, 102 bytes: 116 ms.
  EXPECT_EQ(exchange("ROP01\r\n").at(0).due_ms, 20 + 116);

  simulator.control("delay 500");
  simulator.receive(link, "ROP\r\n");
  simulator.control("delay 0");
  simulator.receive(link, "RTSDR\r\n");
  ASSERT_EQ(link.outgoing.size(), 2u);
  EXPECT_EQ(link.outgoing[0].bytes, "OP01\r\n");
  EXPECT_GE(link.outgoing[1].due_ms, link.outgoing[0].due_ms);
}

class SimControl : public ::testing::Test {
 protected:
  static Options eight_unit_bus() {
    Options options;
    options.line = LineKind::rs485;
    options.units = 8;
    return options;
  }
  Options options = eight_unit_bus();
  ManualClock clock;
  Simulator simulator{options, clock};
  Link serial{"serial", simulator.main_bus(), true};
};

TEST_F(SimControl, GetReadsAnyUnitWithoutCountingAsAReceivedLine) {
  simulator.receive(serial, "05CTI12OF\r\n");
  EXPECT_EQ(simulator.control("get 05 RCTI"),
            "OK CTI" + std::string(11, 'N') + "F" + std::string(20, 'N') + "\n");
  EXPECT_EQ(simulator.control("get 07 RCTI"), "OK CTI" + std::string(32, 'N') + "\n");
  EXPECT_EQ(simulator.control("get 05 clock"), "OK 2024-03-05 07:08:09\n");
  EXPECT_EQ(simulator.control("get 05 REIA").substr(0, 6), "OK EIA");
  EXPECT_EQ(simulator.control("get 09 RCTI").substr(0, 3), "ERR");
  EXPECT_EQ(simulator.control("get 05 CTI01ON").substr(0, 3), "ERR");  // reads only
  EXPECT_EQ(simulator.control("log 05"), "0.000 05 05CTI12OF\\r\\n\nOK 1\n");
}

TEST_F(SimControl, LogHasTimeStampsAndCanBeCleared) {
  simulator.receive(serial, "01ROP\r\n");
  clock.advance(1234);
  simulator.receive(serial, "FFROP\r\n");
  EXPECT_EQ(simulator.control("log"), "0.000 01 01ROP\\r\\n\n1.234 FF FFROP\\r\\n\nOK 2\n");
  EXPECT_EQ(simulator.control("log FF"), "1.234 FF FFROP\\r\\n\nOK 1\n");
  EXPECT_EQ(simulator.control("log clear"), "OK\n");
  EXPECT_EQ(simulator.control("log"), "OK 0\n");
}

TEST_F(SimControl, OutputChangesWhatTheStatusReadsReport) {
  EXPECT_EQ(simulator.control("output 03 5 I17"), "OK\n");
  EXPECT_EQ(simulator.control("get 03 ROCD").substr(6 + 8, 2), "17");
  EXPECT_EQ(simulator.control("output 03 5 auto"), "OK\n");
  EXPECT_EQ(simulator.control("get 03 ROS").substr(5 + 12, 3), "I05");
  EXPECT_EQ(simulator.control("output 03 33 I01").substr(0, 3), "ERR");
  EXPECT_EQ(simulator.control("output 03 5 I33").substr(0, 3), "ERR");
}

TEST_F(SimControl, BadCommandsAreRefusedWithAReason) {
  for (const char* bad : {"frobnicate", "fault condition XX", "fault split 1 10",
                          "fault silence lots", "delay -5", "drop"})  // drop: no transports
    EXPECT_EQ(simulator.control(bad).substr(0, 3), "ERR") << bad;
  EXPECT_EQ(simulator.control("fault silence after 0"), "ERR after K needs K from 1\n");
  const std::string help = simulator.control("help");
  EXPECT_NE(help.find("fault split"), std::string::npos);
  EXPECT_EQ(help.substr(help.size() - 3), "OK\n");
  EXPECT_EQ(simulator.control("units"), "main: 8 unit(s), rs485, orvellan\nOK 1\n");
}

// The options the process tests start the simulator with are theirs to check.
TEST(SimOptions, NamesScriptsRelyOn) {
  const char* argv[] = {"orvellan-sim", "--model", "tarquine", "--pty",         "/tmp/x",
                        "--baud",       "9600",    "-v",       "--reply-delay", "5"};
  const auto parsed = parse_options(10, argv);
  ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<std::string>(parsed);
  const Options& o = std::get<Options>(parsed);
  EXPECT_EQ(o.model, Model::tarquine);
  EXPECT_EQ(o.baud, 9600);
  EXPECT_EQ(o.reply_delay_ms, 5);
  EXPECT_TRUE(o.verbose);
}

TEST(SimOptions, RefusalsSayWhy) {
  auto error_of = [](std::vector<const char*> args) {
    args.insert(args.begin(), "orvellan-sim");
    const auto parsed = parse_options(static_cast<int>(args.size()), args.data());
    return std::holds_alternative<std::string>(parsed) ? std::get<std::string>(parsed) : "";
  };
  EXPECT_NE(error_of({"--pty", "/tmp/x", "--units", "33"}), "");
  EXPECT_NE(error_of({"--pty", "/tmp/x", "--model", "other"}), "");
  EXPECT_NE(error_of({"--listen", "10.0.0.1:9004"}).find("loopback"), std::string::npos);
  EXPECT_EQ(error_of({"--listen", "10.0.0.1:9004", "--allow-remote"}), "");
  EXPECT_NE(error_of({"--connect", "127.0.0.1:1", "--converters", "201"}), "");
  EXPECT_EQ(error_of({"--connect", "localhost:9004", "--converters", "200"}), "");
  EXPECT_NE(error_of({"--frob"}).find("unknown option"), std::string::npos);
  EXPECT_NE(error_of({}).find("nothing to serve"), std::string::npos);
  EXPECT_NE(error_of({"--listen", "127.0.0.1"}), "");
  EXPECT_NE(error_of({"--listen", "127.0.0.1:0"}), "");
  EXPECT_NE(error_of({"--pty", "/tmp/x", "--units", "4"}).find("rs485"), std::string::npos);
  EXPECT_NE(error_of({"--pty", "/tmp/x", "--converters", "3"}).find("--connect"),
            std::string::npos);
}

}  // namespace
}  // namespace sim
