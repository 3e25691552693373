// The bus, the reply shaping and the control channel, without transports.
#include "bus.h"

#include <gtest/gtest.h>

#include "converter.h"
#include "simulator.h"
#include "unit.h"

namespace sim {
namespace {

TEST(SimLine, EndsAtEveryLfDropsOverlongNoiseAndOnRs232cCarriesNoAddress) {
  LineSplitter splitter;
  EXPECT_TRUE(splitter.feed("RO").empty());
  EXPECT_EQ(splitter.feed("P\r\nROE\r\nR"), (std::vector<std::string>{"ROP\r\n", "ROE\r\n"}));
  EXPECT_TRUE(splitter.feed(std::string(10000, '\x7f')).empty());
  EXPECT_EQ(splitter.feed("junk\r\nROP\r\n"), (std::vector<std::string>{"ROP\r\n"}));
  ManualClock clock;
  Bus bus(Model::orvellan, LineKind::rs232c, 5, false, clock);
  EXPECT_EQ(bus.handle_line("05ROP\r\n", true), "E3\r\n");
}

// An RS-485 bus of eight units that put their address in front of replies.
class SimBusOfEight : public ::testing::Test {
 protected:
  // What goes back for bytes sent on a link at rest, once they have crossed it.
  std::vector<Outgoing> exchange(std::string_view bytes) {
    simulator.receive(serial, bytes);
    for (Millis due; (due = simulator.act_on_arrived(serial)) != 0;)
      clock.advance(due - clock.now_ms());
    std::vector<Outgoing> out(serial.outgoing.begin(), serial.outgoing.end());
    serial.outgoing.clear();
    serial.busy_until = 0;
    return out;
  }
  std::string reply(std::string_view bytes) {
    const auto out = exchange(bytes);
    return out.empty() ? "" : out[0].bytes;
  }
  Options options = [] {
    Options o;
    o.line = LineKind::rs485;
    o.units = 8;
    o.reply_address = true;
    return o;
  }();
  ManualClock clock;
  Simulator simulator{options, clock};
  Link serial{"serial", simulator.main_bus(), true};
};

TEST_F(SimBusOfEight, AddressesOneUnitBroadcastsLeavesAbsentAddressesUnansweredAndLogs) {
  EXPECT_EQ(reply("05CTI12OF\r\n"), "05GO\r\n");
  EXPECT_EQ(reply("01ETR6\r\n"), "01GO\r\n") << "the converter answers beside";
  clock.advance(1234);
  EXPECT_EQ(reply("FFCTI03OF\r\n"), "") << "nobody answers a Broadcast";
  for (const char* line : {"08ROP\r\n", "ROP\r\n"}) EXPECT_EQ(reply(line), "") << line;
  EXPECT_EQ(simulator.control("get 05 RCTI").substr(0, 18), "OK CTINNFNNNNNNNNF");
  EXPECT_EQ(simulator.control("get 07 RCTI").substr(0, 18), "OK CTINNFNNNNNNNNN");
  EXPECT_EQ(simulator.control("log 05"), "0.000 05 05CTI12OF\\r\\n\nOK 1\n") << "get not logged";
  EXPECT_EQ(simulator.control("log FF"), "1.234 FF FFCTI03OF\\r\\n\nOK 1\n");
  EXPECT_EQ(simulator.control("log --"), "1.234 -- 08ROP\\r\\n\n1.234 -- ROP\\r\\n\nOK 2\n");
  EXPECT_EQ(simulator.control("log clear"), "OK\n");
  EXPECT_EQ(simulator.control("log"), "OK 0\n");
}

TEST_F(SimBusOfEight, FaultsCountFromTheKthReplyOnlyForTheirPrefixAndUnitAndKeepTheAddress) {
  EXPECT_EQ(simulator.control("fault silence 2 after 2"), "OK silence 2 after 2, delay 0\n");
  EXPECT_EQ(reply("05ROP\r\n"), "05OP01\r\n");
  EXPECT_EQ(reply("05ROP\r\n"), "");
  EXPECT_EQ(reply("05ROP\r\n"), "");
  EXPECT_EQ(reply("05ROP\r\n"), "05OP01\r\n");

  simulator.control("fault condition E3 all on RCT0 unit 03");
  EXPECT_EQ(reply("05RCT05\r\n").substr(0, 6), "05CT05");
  EXPECT_EQ(reply("03RCTI\r\n").substr(0, 5), "03CTI");
  EXPECT_EQ(reply("03RCT05\r\n"), "03E3\r\n");
  EXPECT_EQ(reply("03RCT06\r\n"), "03E3\r\n");
  simulator.control("fault garble");
  EXPECT_EQ(reply("03RCT05\r\n").substr(0, 6), "03#T05");
  EXPECT_EQ(reply("05ROP\r\n"), "05OP01\r\n") << "one reply only";
}

TEST_F(SimBusOfEight, SplitRepliesDelaysAndBaudRateAddUpAndRepliesKeepTheirOrder) {
  simulator.control("fault split 3 250");
  const auto out = exchange("05ROP\r\n");  // 05OP01\r\n: 8 bytes in pieces of 3
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].bytes + "|" + out[1].bytes + "|" + out[2].bytes, "05O|P01|\r\n");
  EXPECT_EQ(out[2].due_ms - out[1].due_ms, 250);

  simulator.control("delay 1000");
  simulator.shaper().set_baud(9600);
  simulator.shaper().set_reply_delay(20);
  // The command, 7 bytes * 11 bits at 9600 baud: 8 ms whole, reaches the
  // unit before it acts; the reply, 8 bytes: 9 ms whole.
  const Millis sent = clock.now_ms();
  EXPECT_EQ(exchange("05ROP\r\n").at(0).due_ms, sent + 8 + 1000 + 20 + 9);

  simulator.control("delay 500");
  simulator.receive(serial, "05ROP\r\n");
  simulator.control("delay 0");
  const auto both = exchange("05RTSDR\r\n");
  EXPECT_GE(both.at(1).due_ms, both.at(0).due_ms) << "the later reply does not overtake";
}

TEST_F(SimBusOfEight, FactoryRestoresUnitsAndConverterAndBadLinesAreRefused) {
  simulator.receive(serial, "FFCTI" + std::string(32, 'F') + "\r\n");
  simulator.receive(serial, "02EPN10001\r\n");
  EXPECT_EQ(simulator.control("factory"), "OK 1\n");
  EXPECT_EQ(simulator.control("log"), "OK 0\n");
  EXPECT_EQ(simulator.control("get 02 RCTI"), "OK CTI" + std::string(32, 'N') + "\n");
  EXPECT_EQ(simulator.control("get 02 REPN"), "OK EPN09004\n");
  // drop: no transports here.
  for (const char* bad : {"frobnicate", "fault condition XX", "fault split 1 10",
                          "fault silence lots", "fault silence after 0", "delay -5", "drop",
                          "get 09 RCTI", "get 05 CTI01ON", "output 03 33 I01"})
    EXPECT_EQ(simulator.control(bad).substr(0, 4), "ERR ") << bad;
  EXPECT_EQ(simulator.control("units"), "main: 8 unit(s), rs485, orvellan\nOK 1\n");
}

std::string option_error(std::vector<const char*> args) {
  args.insert(args.begin(), "orvellan-sim");
  const auto parsed = parse_options(static_cast<int>(args.size()), args.data());
  return std::holds_alternative<std::string>(parsed) ? std::get<std::string>(parsed) : "";
}

TEST(SimOptions, NamesScriptsRelyOnAndRefusalsThatSayWhy) {
  EXPECT_EQ(option_error({"--model", "tarquine", "--baud", "9600", "-v", "--reply-delay", "5",
                          "--connect", "localhost:9004", "--converters", "200", "--listen",
                          "10.0.0.1:9004", "--allow-remote"}),
            "");
  EXPECT_NE(option_error({"--pty", "/tmp/x", "--units", "33"}), "");
  EXPECT_NE(option_error({"--listen", "10.0.0.1:9004"}).find("loopback"), std::string::npos);
  EXPECT_NE(option_error({"--frob"}).find("unknown option"), std::string::npos);
  EXPECT_NE(option_error({}).find("nothing to serve"), std::string::npos);
  EXPECT_NE(option_error({"--pty", "/tmp/x", "--units", "4"}).find("rs485"), std::string::npos);
  EXPECT_NE(option_error({"--pty", "/tmp/x", "--converters", "3"}).find("--connect"),
            std::string::npos);
}

// The simulated unit, command by command, with literal replies: the
// simulator shares no code with the program, and neither do its tests.
// What the program sets and reads back is checked by the command-line tool's
// round trip through a simulated bus (cli_test.cpp) and by the end-to-end
// tests; here are the unit's own rules those would not notice.
std::string times(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

class SimUnit : public ::testing::Test {
 protected:
  ManualClock clock;
  Unit orvellan{Model::orvellan, clock};
  Unit tarquine{Model::tarquine, clock};
};

TEST_F(SimUnit, MalformedOutOfRangeOrOutsideTheModelIsRefusedByUnitAndConverter) {
  EXPECT_EQ(tarquine.handle("O05I33"), "GO\r\n");
  // OE01: output 01 is fixed; G...I29: past the title's end; hex is upper case.
  for (const std::string& line : std::vector<std::string>{
           "", "RXYZ", "RCT33", "O05I33", "CTI12NO", "DSM13", "OE01OF", "G005C12I29",
           "GRS257" + std::string(144, '0'), "SP01" + times("07", 64), "CT01" + times("2121", 27),
           "CT01" + times("7e7e", 28)})
    EXPECT_EQ(orvellan.handle(line), "E3\r\n") << line;
  Converter converter;
  for (const char* bad : {"EIA256.000.000.001", "EIA192.168.001", "ETR7", "EPN1000"})
    EXPECT_EQ(converter.handle(bad), "E3\r\n") << bad;
  EXPECT_FALSE(converter.handle("ROP").has_value()) << "a unit's command";
}

// Date fields never roll into another month; the thirty-second correction.
TEST_F(SimUnit, CalendarFollowsTheClock) {
  // 04-31 is kept until the day is set.
  for (const char* field : {"DSD31", "DSM04", "DSD05", "TSH23", "TSM59", "TSS40"})
    EXPECT_EQ(orvellan.handle(field), "GO\r\n") << field;
  EXPECT_EQ(orvellan.clock_text(), "2024-04-05 23:59:40");
  clock.advance(5000);
  EXPECT_EQ(orvellan.handle("TSA"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2024-04-06 00:00:00");
  EXPECT_EQ(orvellan.handle("TSH12"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2024-04-06 12:00:00") << "the day it ran into stays";
}

}  // namespace
}  // namespace sim
