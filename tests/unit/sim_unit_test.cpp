// The simulated unit, command by command, with literal replies: the
// simulator shares no code with the program, and neither do its tests.
// Settings a set-all carries are also checked by the command-line tool's
// round trip through a simulated bus (cli_test.cpp).
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

TEST_F(SimUnit, FactoryStateShowsEachInputOnItsOutputAndFollowsTheModel) {
  std::string identity;
  for (int j = 1; j <= 32; ++j) identity += (j < 10 ? "I0" : "I") + std::to_string(j);
  EXPECT_EQ(orvellan.handle("ROP"), "OP01\r\n");
  EXPECT_EQ(orvellan.handle("ROP01"), "OP01" + identity + "\r\n");
  EXPECT_EQ(orvellan.handle("ROS"), "OS" + identity + "\r\n");
  EXPECT_EQ(orvellan.handle("RSP64"), "SP64" + times("03", 32) + "\r\n");
  EXPECT_EQ(tarquine.handle("RSP64").size(), 134u);
  EXPECT_EQ(tarquine.handle("RTSI"), "TSI" + std::string(64, 'N') + "\r\n");
  EXPECT_EQ(tarquine.handle("RCTO").size(), 37u);
}

TEST_F(SimUnit, CommandsOutsideTheModelOrMalformedAreRefused) {
  EXPECT_NE(tarquine.handle("RCT64"), "E3\r\n");
  EXPECT_EQ(tarquine.handle("O05I33"), "GO\r\n");
  EXPECT_EQ(tarquine.handle("SP01" + times("07", 64)), "GO\r\n");
  EXPECT_EQ(tarquine.handle("CTI" + std::string(32, 'N')), "E3\r\n");
  EXPECT_EQ(tarquine.handle("SP01" + times("07", 32)), "E3\r\n");
  EXPECT_EQ(orvellan.handle(""), "E3\r\n");
  for (const char* line :
       {"RCT33",   "ROP65",     "RSP00",    "RXYZ",     "HELLO",   "O05I33",  "O05S65",
        "OP65",    "OP0333I01", "SP013310", "SP0105A0", "CTI33ON", "CTI12NO", "TSO33OF",
        "CTPI05X", "CTAB17",    "PMOX",     "PN48291a", "DSM13",   "TSH24",   "TSDR9"})
    EXPECT_EQ(orvellan.handle(line), "E3\r\n") << line;
  for (const std::string& line :
       {"OS" + times("I01", 31), "OP01" + times("X01", 32), "SP01" + times("07", 64),
        "CTI" + std::string(64, 'N'), "CTSI" + std::string(31, 'L') + "Q",
        "CT01" + times("2121", 27), "CT01" + times("2120", 28), "CT33" + times("2121", 28)})
    EXPECT_EQ(orvellan.handle(line), "E3\r\n") << line;
  EXPECT_EQ(orvellan.handle("CT01" + times("7e7e", 28)), "E3\r\n") << "hex digits are upper case";
}

TEST_F(SimUnit, OneEntryOrChannelAtATime) {
  const std::vector<std::tuple<std::string, std::string, size_t, std::string>> cases{
      {"OPFR", "ROP", 2, "FR"},
      {"O05I12", "ROS", 2 + 12, "I12"},
      {"OP0305S02", "ROP03", 4 + 12, "S02"},
      {"SP030510", "RSP03", 4 + 8, "10"},
      {"CTI12OF", "RCTI", 3 + 11, "F"},
      {"CTSI05S", "RCTSI", 4 + 4, "S"},
      {"OE02OF", "ROE", 2, "NF"}};
  for (const auto& [set, read, at, expected] : cases) {
    EXPECT_EQ(orvellan.handle(set), "GO\r\n") << set;
    EXPECT_EQ(orvellan.handle(read).substr(at, expected.size()), expected) << set;
  }
  EXPECT_EQ(orvellan.handle("OE01OF"), "E3\r\n");  // output 01 is fixed
}

TEST_F(SimUnit, TitlesAnswerByTheChannelsFontSize) {
  const std::string title = "CT032422" + times("2121", 27);
  EXPECT_EQ(orvellan.handle(title), "GO\r\n");
  // The factory font size is MEDIUM: 21 characters.
  EXPECT_EQ(orvellan.handle("RCT03"), "CT032422" + times("2121", 20) + "\r\n");
  orvellan.handle("CTSI03S");
  EXPECT_EQ(orvellan.handle("RCT03"), title + "\r\n");
  orvellan.handle("CTSI01L");
  EXPECT_EQ(orvellan.handle("RCT01").size(), 4u + 4 * 14 + 2);
  EXPECT_EQ(orvellan.handle("RCT04").substr(0, 20), "CT042343234823302334");  // factory title
}

TEST_F(SimUnit, GlyphsRegisteredReadAndInsertedIntoTitles) {
  const std::string bitmap = "80" + std::string(142, '0');
  EXPECT_EQ(orvellan.handle("GRS001" + bitmap), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RFBMSA365"), "FBMSA365" + bitmap + "\r\n");
  EXPECT_EQ(orvellan.handle("RFBMMA365"), "FBMMA365" + std::string(256, '0') + "\r\n");
  EXPECT_EQ(orvellan.handle("GRS257" + bitmap), "E3\r\n");
  EXPECT_EQ(orvellan.handle("GRL071" + std::string(576, '0')), "E3\r\n");
  EXPECT_EQ(orvellan.handle("GRS001" + bitmap + "00"), "E3\r\n");
  EXPECT_EQ(glyph_code(27), 0xA421);

  orvellan.handle("CTSI12S");
  EXPECT_EQ(orvellan.handle("G005C12I03"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCT12").substr(4 + 8, 4), "A369");
  EXPECT_EQ(orvellan.handle("G001C12I28"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCT12").substr(4 + 27 * 4, 4), "A365");
  EXPECT_EQ(orvellan.handle("G257C12I03"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("G005C33I03"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("G005C12I29"), "E3\r\n");

  const std::string sample = orvellan.handle("RFBML2341");
  EXPECT_EQ(sample.size(), 586u);
  EXPECT_EQ(sample, orvellan.handle("RFBML2341"));
  EXPECT_NE(sample.substr(8), orvellan.handle("RFBML2342").substr(8));
  EXPECT_NE(sample.substr(8), std::string(576, '0') + "\r\n");
  EXPECT_EQ(orvellan.handle("RFBMX2341"), "E3\r\n");
}

TEST_F(SimUnit, ClockFieldsAndTheThirtySecondCorrection) {
  EXPECT_EQ(orvellan.clock_text(), "2024-03-05 07:08:09");
  for (const char* field : {"DSY25", "DSM12", "DSD24", "TSH23", "TSM59", "TSS40"})
    EXPECT_EQ(orvellan.handle(field), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2025-12-24 23:59:40");
  clock.advance(5000);
  EXPECT_EQ(orvellan.clock_text(), "2025-12-24 23:59:45");
  EXPECT_EQ(orvellan.handle("TSA"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2025-12-25 00:00:00");
}

TEST_F(SimUnit, DateFieldsSetOneAfterAnotherNeverRollIntoAnotherMonth) {
  EXPECT_EQ(orvellan.handle("DSD31"), "GO\r\n");  // 2024-03-31
  EXPECT_EQ(orvellan.handle("DSM04"), "GO\r\n");  // 04-31 is kept until the day is set
  EXPECT_EQ(orvellan.handle("DSD05"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2024-04-05 07:08:09");
  clock.advance(17 * 3600 * 1000);  // past midnight
  EXPECT_EQ(orvellan.clock_text(), "2024-04-06 00:08:09");
  EXPECT_EQ(orvellan.handle("TSH12"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2024-04-06 12:08:09");
}

TEST_F(SimUnit, AutomaticSwitchingSkipsZeroDwellAndAForcedOutputOverridesIt) {
  // SP01: input 1 for 2 s, input 2 skipped, input 3 for 1 s, others 0.
  orvellan.handle("SP01020001" + times("00", 29));
  orvellan.handle("O01S01");
  orvellan.handle("OPFR");
  EXPECT_EQ(orvellan.handle("ROS").substr(2, 3), "S01");
  std::vector<int> seen;
  for (int t = 0; t < 6; ++t) {
    seen.push_back(orvellan.shown_input(0));
    clock.advance(1000);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 1, 3, 1, 1, 3}));
  EXPECT_EQ(orvellan.handle("ROCD").substr(3, 4), "0102");

  orvellan.force_output(4, Entry{'I', 9});
  EXPECT_EQ(orvellan.handle("ROCD").substr(3 + 8, 2), "09");
  EXPECT_EQ(orvellan.handle("ROS").substr(2 + 12, 3), "I09");
  orvellan.force_output(4, std::nullopt);
  EXPECT_EQ(orvellan.handle("ROCD").substr(3 + 8, 2), "05");
}

TEST(SimConverter, SetsReadsAndRefusals) {
  Converter converter;
  EXPECT_EQ(converter.handle("EIA192.168.001.003"), "GO\r\n");
  EXPECT_EQ(converter.handle("REIA"), "EIA192.168.001.003\r\n");
  EXPECT_EQ(converter.handle("ECTON"), "GO\r\n");
  EXPECT_EQ(converter.handle("RECT"), "ECTON\r\n");
  EXPECT_EQ(converter.handle("EPN10001"), "GO\r\n");
  EXPECT_EQ(converter.handle("REPN"), "EPN10001\r\n");
  EXPECT_EQ(converter.handle("REMA")->size(), 22u);
  EXPECT_EQ(converter.handle("RVN")->size(), 9u);
  for (const char* bad : {"EIA256.000.000.001", "EIA192.168.001", "ETR7", "ESMD", "EPN1000"})
    EXPECT_EQ(converter.handle(bad), "E3\r\n") << bad;
  EXPECT_FALSE(converter.handle("ROP").has_value());
}

}  // namespace
}  // namespace sim
