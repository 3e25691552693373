// The simulated unit, command by command, with literal replies: the
// simulator shares no code with the program, and neither do its tests.
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

TEST_F(SimUnit, FactoryStateAnswersEveryRead) {
  EXPECT_EQ(orvellan.handle("ROP"), "OP01\r\n");
  std::string identity;
  for (int j = 1; j <= 32; ++j) identity += (j < 10 ? "I0" : "I") + std::to_string(j);
  EXPECT_EQ(orvellan.handle("ROP01"), "OP01" + identity + "\r\n");
  EXPECT_EQ(orvellan.handle("RSP64"), "SP64" + times("03", 32) + "\r\n");
  EXPECT_EQ(tarquine.handle("RSP64").size(), 134u);
  EXPECT_EQ(orvellan.handle("RTSDR"), "TSDR1\r\n");
  EXPECT_EQ(orvellan.handle("RTSDS"), "TSDSN\r\n");
  EXPECT_EQ(orvellan.handle("RTSI"), "TSI" + std::string(32, 'N') + "\r\n");
  EXPECT_EQ(tarquine.handle("RTSI"), "TSI" + std::string(64, 'N') + "\r\n");
  EXPECT_EQ(tarquine.handle("RTSO"), "TSO" + std::string(32, 'N') + "\r\n");
  EXPECT_EQ(tarquine.handle("RCTI").size(), 69u);
  EXPECT_EQ(tarquine.handle("RCTO").size(), 37u);
  EXPECT_EQ(orvellan.handle("RCTPI"), "CTPI" + std::string(32, 'B') + "\r\n");
  EXPECT_EQ(orvellan.handle("RCTSI"), "CTSI" + std::string(32, 'M') + "\r\n");
  EXPECT_EQ(orvellan.handle("RCTAT"), "CTAT08\r\n");
  EXPECT_EQ(orvellan.handle("RCTAB"), "CTAB08\r\n");
  EXPECT_EQ(orvellan.handle("RPO"), "POOF\r\n");
  EXPECT_EQ(orvellan.handle("RPM"), "PMOF\r\n");
  EXPECT_EQ(orvellan.handle("RPN"), "PN000000\r\n");
  EXPECT_EQ(orvellan.handle("ROE"), "OE" + std::string(32, 'N') + "\r\n");
  EXPECT_EQ(orvellan.handle("ROS"), "OS" + identity + "\r\n");
}

TEST_F(SimUnit, ReadsOutsideTheModelAreRefused) {
  EXPECT_EQ(orvellan.handle("RCT33"), "E3\r\n");
  EXPECT_NE(tarquine.handle("RCT64"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("ROP65"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("RSP00"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("RXYZ"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("HELLO"), "E3\r\n");
  EXPECT_EQ(orvellan.handle(""), "E3\r\n");
}

TEST_F(SimUnit, PatternsAndTheFreeLayout) {
  EXPECT_EQ(orvellan.handle("OP07"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("ROP"), "OP07\r\n");
  EXPECT_EQ(orvellan.handle("OPFR"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("ROP"), "OPFR\r\n");
  EXPECT_EQ(orvellan.handle("O05I12"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("ROS").substr(2 + 12, 3), "I12");
  EXPECT_EQ(orvellan.handle("OP0305S02"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("ROP03").substr(4 + 12, 3), "S02");
  EXPECT_EQ(orvellan.handle("OS" + times("S64", 32)), "GO\r\n");
  EXPECT_EQ(orvellan.handle("OP64" + times("I32", 32)), "GO\r\n");
  EXPECT_EQ(orvellan.handle("ROP64"), "OP64" + times("I32", 32) + "\r\n");
  // Entries the model cannot show, and wrong lengths.
  EXPECT_EQ(orvellan.handle("O05I33"), "E3\r\n");
  EXPECT_EQ(tarquine.handle("O05I33"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("O05S65"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("OP65"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("OP0333I01"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("OS" + times("I01", 31)), "E3\r\n");
  EXPECT_EQ(orvellan.handle("OP01" + times("X01", 32)), "E3\r\n");
}

TEST_F(SimUnit, DwellTimesFollowTheModelsInputCount) {
  EXPECT_EQ(orvellan.handle("SP030510"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RSP03").substr(4 + 8, 2), "10");
  EXPECT_EQ(orvellan.handle("SP01" + times("07", 32)), "GO\r\n");
  EXPECT_EQ(orvellan.handle("SP01" + times("07", 64)), "E3\r\n");
  EXPECT_EQ(tarquine.handle("SP01" + times("07", 32)), "E3\r\n");
  EXPECT_EQ(tarquine.handle("SP01" + times("07", 64)), "GO\r\n");
  EXPECT_EQ(orvellan.handle("SP013310"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("SP0105A0"), "E3\r\n");
}

TEST_F(SimUnit, PerChannelSwitchesSingleAndAll) {
  EXPECT_EQ(orvellan.handle("CTI12OF"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCTI")[3 + 11], 'F');
  EXPECT_EQ(orvellan.handle("CTI" + std::string(31, 'N') + "F"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCTI"), "CTI" + std::string(31, 'N') + "F\r\n");
  EXPECT_EQ(orvellan.handle("CTI" + std::string(64, 'N')), "E3\r\n");
  EXPECT_EQ(tarquine.handle("CTI" + std::string(32, 'N')), "E3\r\n");
  EXPECT_EQ(orvellan.handle("CTI33ON"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("CTI12NO"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("TSO32OF"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("TSO33OF"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("TSI" + std::string(32, 'F')), "GO\r\n");
  EXPECT_EQ(orvellan.handle("CTO" + std::string(32, 'F')), "GO\r\n");
  EXPECT_EQ(orvellan.handle("CTPI05T"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("CTPI05X"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("CTSI05S"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCTSI")[4 + 4], 'S');
  EXPECT_EQ(orvellan.handle("CTSI" + std::string(31, 'L') + "Q"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("OE02OF"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("ROE").substr(0, 4), "OENF");
  EXPECT_EQ(orvellan.handle("OE01OF"), "E3\r\n");  // output 01 is fixed
  EXPECT_EQ(orvellan.handle("OE" + std::string(32, 'F')), "GO\r\n");
}

TEST_F(SimUnit, TitlesAnswerByTheChannelsFontSize) {
  const std::string title =
      "CT03"
      "2422" +
      times("2121", 27);
  EXPECT_EQ(orvellan.handle(title), "GO\r\n");
  // The factory font size is MEDIUM: 21 characters.
  EXPECT_EQ(orvellan.handle("RCT03"),
            "CT03"
            "2422" +
                times("2121", 20) + "\r\n");
  orvellan.handle("CTSI03S");
  EXPECT_EQ(orvellan.handle("RCT03"), title + "\r\n");
}

TEST_F(SimUnit, TitleLengthsBySize) {
  orvellan.handle("CTSI01L");
  orvellan.handle("CTSI02M");
  orvellan.handle("CTSI03S");
  EXPECT_EQ(orvellan.handle("RCT01").size(), 4u + 4 * 14 + 2);
  EXPECT_EQ(orvellan.handle("RCT02").size(), 4u + 4 * 21 + 2);
  EXPECT_EQ(orvellan.handle("RCT03").size(), 4u + 4 * 28 + 2);
  EXPECT_EQ(orvellan.handle("RCT03").substr(0, 20),
            "CT03"
            "2343"
            "2348"
            "2330"
            "2333");
  EXPECT_EQ(orvellan.handle("CT01" + times("2121", 27)), "E3\r\n");
  EXPECT_EQ(orvellan.handle("CT01" + times("2120", 28)), "E3\r\n");
  EXPECT_EQ(orvellan.handle("CT01" + times("7e7e", 28)), "E3\r\n") << "hex digits are upper case";
  EXPECT_EQ(orvellan.handle("CT33" + times("2121", 28)), "E3\r\n");
}

TEST_F(SimUnit, GlyphInsertionPutsTheGlyphCodeIntoTheTitle) {
  orvellan.handle("CTSI12S");
  EXPECT_EQ(orvellan.handle("G005C12I03"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCT12").substr(4 + 8, 4), "A369");
  EXPECT_EQ(orvellan.handle("G001C12I28"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCT12").substr(4 + 27 * 4, 4), "A365");
  EXPECT_EQ(orvellan.handle("G257C12I03"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("G005C33I03"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("G005C12I29"), "E3\r\n");
}

TEST_F(SimUnit, GlyphRegistrationAndReads) {
  const std::string bitmap = "80" + std::string(142, '0');
  EXPECT_EQ(orvellan.handle("GRS001" + bitmap), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RFBMSA365"), "FBMSA365" + bitmap + "\r\n");
  EXPECT_EQ(orvellan.handle("RFBMMA365"), "FBMMA365" + std::string(256, '0') + "\r\n");
  EXPECT_EQ(orvellan.handle("GRS257" + bitmap), "E3\r\n");
  EXPECT_EQ(orvellan.handle("GRL071" + std::string(576, '0')), "E3\r\n");
  EXPECT_EQ(orvellan.handle("GRS001" + bitmap + "00"), "E3\r\n");
  EXPECT_EQ(glyph_code(26), 0xA37E);
  EXPECT_EQ(glyph_code(27), 0xA421);
  EXPECT_EQ(glyph_code(256), 0xA64A);
}

TEST_F(SimUnit, SampleGlyphsAreDeterministicAndDifferByCode) {
  const std::string a = orvellan.handle("RFBML2341");
  EXPECT_EQ(a.size(), 586u);
  EXPECT_EQ(a.substr(0, 8), "FBML2341");
  EXPECT_EQ(a, orvellan.handle("RFBML2341"));
  EXPECT_NE(a.substr(8), orvellan.handle("RFBML2342").substr(8));
  EXPECT_NE(a.substr(8), std::string(576, '0') + "\r\n");
  EXPECT_EQ(orvellan.handle("RFBMX2341"), "E3\r\n");
}

TEST_F(SimUnit, TitleOffsetsAndPassword) {
  EXPECT_EQ(orvellan.handle("CTAT16"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RCTAT"), "CTAT16\r\n");
  EXPECT_EQ(orvellan.handle("CTAB17"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("POON"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RPO"), "POON\r\n");
  EXPECT_EQ(orvellan.handle("PMOX"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("PN482915"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RPN"), "PN482915\r\n");
  EXPECT_EQ(orvellan.handle("PN48291a"), "E3\r\n");
}

TEST_F(SimUnit, ClockFieldsAndTheThirtySecondCorrection) {
  EXPECT_EQ(orvellan.clock_text(), "2024-03-05 07:08:09");
  EXPECT_EQ(orvellan.handle("DSY25"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("DSM12"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("DSD24"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("TSH23"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("TSM59"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("TSS40"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2025-12-24 23:59:40");
  clock.advance(5000);
  EXPECT_EQ(orvellan.clock_text(), "2025-12-24 23:59:45");
  EXPECT_EQ(orvellan.handle("TSA"), "GO\r\n");
  EXPECT_EQ(orvellan.clock_text(), "2025-12-25 00:00:00");
  EXPECT_EQ(orvellan.handle("DSM13"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("TSH24"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("TSDR8"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("TSDR9"), "E3\r\n");
  EXPECT_EQ(orvellan.handle("TSDSS"), "GO\r\n");
  EXPECT_EQ(orvellan.handle("RTSDS"), "TSDSS\r\n");
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

TEST_F(SimUnit, AutomaticSwitchingCyclesThroughTheInputsSkippingZeroDwell) {
  // SP01: input 1 for 2 s, input 2 skipped, input 3 for 1 s, others 0.
  orvellan.handle(
      "SP01"
      "02"
      "00"
      "01" +
      times("00", 29));
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
}

TEST_F(SimUnit, AForcedOutputOverridesTheLayout) {
  orvellan.force_output(4, Entry{'I', 9});
  EXPECT_EQ(orvellan.handle("ROCD").substr(3 + 8, 2), "09");
  EXPECT_EQ(orvellan.handle("ROS").substr(2 + 12, 3), "I09");
  orvellan.force_output(4, std::nullopt);
  EXPECT_EQ(orvellan.handle("ROCD").substr(3 + 8, 2), "05");
}

TEST(SimConverter, SetAndReadEveryParameter) {
  Converter converter;
  EXPECT_EQ(converter.handle("EIA192.168.001.003"), "GO\r\n");
  EXPECT_EQ(converter.handle("REIA"), "EIA192.168.001.003\r\n");
  EXPECT_EQ(converter.handle("EGA010.000.000.001"), "GO\r\n");
  EXPECT_EQ(converter.handle("REGA"), "EGA010.000.000.001\r\n");
  EXPECT_EQ(converter.handle("EAA192.168.001.004"), "GO\r\n");
  EXPECT_EQ(converter.handle("REAA"), "EAA192.168.001.004\r\n");
  EXPECT_EQ(converter.handle("ESMB"), "GO\r\n");
  EXPECT_EQ(converter.handle("RESM"), "ESMB\r\n");
  EXPECT_EQ(converter.handle("ECTON"), "GO\r\n");
  EXPECT_EQ(converter.handle("RECT"), "ECTON\r\n");
  EXPECT_EQ(converter.handle("EKAOF"), "GO\r\n");
  EXPECT_EQ(converter.handle("REKA"), "EKAOF\r\n");
  EXPECT_EQ(converter.handle("ETR6"), "GO\r\n");
  EXPECT_EQ(converter.handle("RETR"), "ETR6\r\n");
  EXPECT_EQ(converter.handle("EPN10001"), "GO\r\n");
  EXPECT_EQ(converter.handle("REPN"), "EPN10001\r\n");
  EXPECT_EQ(converter.handle("REMA")->size(), 22u);
  EXPECT_EQ(converter.handle("RVN")->size(), 9u);
  EXPECT_EQ(converter.handle("EIA256.000.000.001"), "E3\r\n");
  EXPECT_EQ(converter.handle("EIA192.168.001"), "E3\r\n");
  EXPECT_EQ(converter.handle("ETR7"), "E3\r\n");
  EXPECT_EQ(converter.handle("ESMD"), "E3\r\n");
  EXPECT_EQ(converter.handle("EPN1000"), "E3\r\n");
  EXPECT_FALSE(converter.handle("ROP").has_value());
}

}  // namespace
}  // namespace sim
