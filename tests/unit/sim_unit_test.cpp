// The simulated unit, command by command, with literal replies: the
// simulator shares no code with the program, and neither do its tests.
// What the program sets and reads back is checked by the command-line tool's
// round trip through a simulated bus (cli_test.cpp) and by the end-to-end
// tests; here are the unit's own rules those would not notice.
#include "unit.h"

#include <gtest/gtest.h>

#include "converter.h"

namespace sim {
namespace {

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

TEST_F(SimUnit, SampleGlyphsAreFixedPerCode) {
  const std::string sample = orvellan.handle("RFBML2341");
  EXPECT_EQ(sample, orvellan.handle("RFBML2341"));
  EXPECT_NE(sample.substr(8), orvellan.handle("RFBML2342").substr(8));
  EXPECT_NE(sample.substr(8), std::string(576, '0') + "\r\n");
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
