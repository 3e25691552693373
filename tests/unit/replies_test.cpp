#include "protocol/replies.h"

#include <gtest/gtest.h>

#include "link/line_assembler.h"
#include "link/reply_roads.h"
#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "settings_file/settings_file.h"
#include "test_support.h"
#include "titles/glyph_file.h"

namespace orv {
namespace {

using test::repeat;

// Every value a reply could change, as text, to prove a rejection stored nothing.
std::string snapshot(const Session& s) {
  std::string text = format_settings_file(s.settings);
  text += buffer_text(s.settings.password);
  text += buffer_text(s.settings.converterPortNumber);
  text += buffer_text(s.settings.converterMacAddress);
  text += buffer_text(s.settings.converterVersion);
  text += std::to_string(s.settings.converterTimeRegister);
  text += format_glyph_file(s.settings.glyphBitmap, GlyphSize::large);
  for (int v : s.status.shownInput) text += std::to_string(v) + ",";
  for (int v : s.status.switchingPattern) text += std::to_string(v) + ",";
  return text;
}

class SerialReply : public ::testing::Test {
 protected:
  // The line arrives as the answer to a command sent just before.
  ReplyTarget reply(std::string_view line) {
    state.exchange.sent();
    return arrives(line);
  }
  // The line arrives whether or not a reply is awaited.
  ReplyTarget arrives(std::string_view line) {
    ReplyTarget target{state.settings, state.awaitedGlyphCode, &state.status};
    handle_serial_reply(state.exchange, target, state.framing(), line);
    return target;
  }
  // The line is rejected: Command Error, and nothing changed.
  void expect_rejected(std::string_view line) {
    SCOPED_TRACE(std::string(line));
    const std::string before = snapshot(state);
    reply(line);
    EXPECT_EQ(state.exchange.result_code(), ResultCode::command_error);
    EXPECT_EQ(state.exchange.completion(), Completion::none);
    EXPECT_EQ(snapshot(state), before);
    state.exchange.abandon();
  }
  void expect_accepted(std::string_view line) {
    SCOPED_TRACE(std::string(line));
    reply(line);
    EXPECT_EQ(state.exchange.result_code(), ResultCode::none);
    EXPECT_EQ(state.exchange.completion(), Completion::single);
    state.exchange.success_reported();
  }
  void use_tarquine() {
    Configuration c;
    c.select_model = 1;
    apply_configuration(state, c);
  }

  Session state;
};

TEST_F(SerialReply, AcknowledgementAndConditions) {
  reply("GO\r\n");
  EXPECT_EQ(state.exchange.completion(), Completion::single);
  EXPECT_FALSE(state.exchange.awaiting_reply());
  EXPECT_EQ(state.exchange.wait_ticks(), 0);
  state.exchange.success_reported();
  arrives("GO\r\n");  // nobody waits for it
  EXPECT_EQ(state.exchange.result_code(), ResultCode::command_error);
  EXPECT_EQ(state.exchange.completion(), Completion::none);

  const std::vector<std::pair<std::string, ResultCode>> cases{
      {"MENU\r\n", ResultCode::menu},         {"ALARM\r\n", ResultCode::alarm},
      {"LOCK\r\n", ResultCode::lock},         {"GN\r\n", ResultCode::mode_error},
      {"E0\r\n", ResultCode::framing_error},  {"E1\r\n", ResultCode::parity_error},
      {"E2\r\n", ResultCode::over_run_error}, {"E3\r\n", ResultCode::command_error}};
  for (const auto& [line, code] : cases) {
    reply(line);
    EXPECT_EQ(state.exchange.result_code(), code) << line;
    EXPECT_EQ(state.exchange.completion(), Completion::none);
    EXPECT_FALSE(state.exchange.awaiting_reply());
  }
}

TEST_F(SerialReply, UnknownLinesAreCommandErrors) {
  expect_rejected("XYZ\r\n");
  expect_rejected("MENU");
  expect_rejected("");
}

TEST_F(SerialReply, Rs485StripsOnlyTheSelectedUnitsAddress) {
  state.config.control = 1;
  state.slaveAddress = 5;
  expect_accepted("05GO\r\n");
  expect_accepted("GO\r\n");
  expect_rejected("07GO\r\n");
  reply("05E1\r\n");
  EXPECT_EQ(state.exchange.result_code(), ResultCode::parity_error);
}

TEST_F(SerialReply, Rs232cKeepsAnAddressLikePrefix) {
  state.slaveAddress = 5;
  expect_rejected("05GO\r\n");
}

TEST_F(SerialReply, PatternInForce) {
  expect_accepted("OPFR\r\n");
  EXPECT_EQ(state.settings.currentScreenPattern, kFreeLayout);
  expect_accepted("OP07\r\n");
  EXPECT_EQ(state.settings.currentScreenPattern, 6);
  expect_rejected("OP65\r\n");
  expect_rejected("OP00\r\n");
  expect_rejected("OP0A\r\n");
}

TEST_F(SerialReply, WholePatternWithThirtyTwoInputs) {
  const std::string line = "OP03I05" + repeat("S02", 31) + "\r\n";
  expect_accepted(line);
  EXPECT_EQ(state.settings.screenPatterns[2][0], 4);
  EXPECT_EQ(state.settings.screenPatterns[2][1], 33);
  EXPECT_EQ(state.settings.screenPatterns[2][31], 33);
}

TEST_F(SerialReply, WholePatternRejections) {
  const std::string good = "OP03" + repeat("I01", 32) + "\r\n";
  expect_rejected(good.substr(0, good.size() - 3) + "\r\n");  // one entry short
  expect_rejected("OP65" + repeat("I01", 32) + "\r\n");
  expect_rejected("OP03X01" + repeat("I01", 31) + "\r\n");
  // Entries outside the valid codes are rejected rather than stored.
  expect_rejected("OP03I00" + repeat("I01", 31) + "\r\n");
  expect_rejected("OP03I33" + repeat("I01", 31) + "\r\n");
  expect_rejected("OP03S65" + repeat("I01", 31) + "\r\n");
}

TEST_F(SerialReply, WholePatternWithSixtyFourInputs) {
  use_tarquine();
  expect_accepted("OP01I64S64" + repeat("I33", 30) + "\r\n");
  EXPECT_EQ(state.settings.screenPatterns[0][0], 63);
  EXPECT_EQ(state.settings.screenPatterns[0][1], 127);
  EXPECT_EQ(state.settings.screenPatterns[0][2], 32);
}

TEST_F(SerialReply, SwitchingPatternLengthFollowsTheModel) {
  expect_accepted("SP02" + repeat("05", 31) + "00\r\n");
  EXPECT_EQ(state.settings.autoSwitchPatterns[1][0], 5);
  EXPECT_EQ(state.settings.autoSwitchPatterns[1][31], 0);
  EXPECT_EQ(state.settings.autoSwitchPatterns[1][32], 3);  // beyond inputCount: untouched
  expect_rejected("SP02" + repeat("05", 64) + "\r\n");
  expect_rejected("SP65" + repeat("05", 32) + "\r\n");
  expect_rejected("SP02" + repeat("0A", 32) + "\r\n");
  use_tarquine();
  expect_accepted("SP64" + repeat("99", 64) + "\r\n");
  EXPECT_EQ(state.settings.autoSwitchPatterns[63][63], 99);
}

TEST_F(SerialReply, DateTimeRangeAndSize) {
  expect_accepted("TSDR8\r\n");
  EXPECT_EQ(state.settings.dateTimeRange, 7);
  expect_rejected("TSDR9\r\n");
  expect_rejected("TSDR0\r\n");
  expect_rejected("TSDR1 \r\n");
  expect_accepted("TSDSS\r\n");
  EXPECT_EQ(state.settings.dateTimeSize, 1);
  expect_rejected("TSDSX\r\n");
}

TEST_F(SerialReply, PerChannelSwitchesNeedExactlyOneLetterPerChannel) {
  expect_accepted("TSIF" + std::string(31, 'N') + "\r\n");
  EXPECT_EQ(state.settings.dateTimeDisplayInput[0], 0);
  EXPECT_EQ(state.settings.dateTimeDisplayInput[1], 1);
  expect_rejected("TSI" + std::string(31, 'N') + "X\r\n");
  expect_rejected("TSI" + std::string(33, 'N') + "\r\n");
  use_tarquine();
  expect_rejected("TSI" + std::string(32, 'F') + "\r\n");
  expect_accepted("TSI" + std::string(64, 'F') + "\r\n");
  EXPECT_EQ(state.settings.dateTimeDisplayInput[63], 0);

  expect_accepted("TSO" + std::string(32, 'F') + "\r\n");
  EXPECT_EQ(state.settings.dateTimeDisplayOutput[31], 0);
  expect_accepted("CTI" + std::string(63, 'F') + "N\r\n");
  EXPECT_EQ(state.settings.titleDisplayInput[63], 1);
  expect_accepted("CTO" + std::string(31, 'N') + "F\r\n");
  EXPECT_EQ(state.settings.titleDisplayOutput[31], 0);
  expect_rejected("CTO" + std::string(32, 'T') + "\r\n");
  expect_accepted("CTPI" + std::string(63, 'B') + "T\r\n");
  EXPECT_EQ(state.settings.titlePosition[63], 1);
  expect_rejected("CTPI" + std::string(64, 'N') + "\r\n");
  expect_accepted("CTSILMS" + std::string(61, 'S') + "\r\n");
  EXPECT_EQ(state.settings.fontSize[0], 0);
  EXPECT_EQ(state.settings.fontSize[1], 1);
  EXPECT_EQ(state.settings.fontSize[2], 2);
  expect_rejected("CTSI" + std::string(63, 'L') + "X\r\n");
  expect_accepted("OEF" + std::string(31, 'N') + "\r\n");
  EXPECT_EQ(state.settings.videoOutput[0], 0);
  expect_rejected("OE" + std::string(31, 'N') + "\r\n");
}

TEST_F(SerialReply, TitleOffsets) {
  expect_accepted("CTAT08\r\n");
  EXPECT_EQ(state.settings.titleOffsetTop, 7);
  expect_accepted("CTAB16\r\n");
  EXPECT_EQ(state.settings.titleOffsetBottom, 15);
  expect_rejected("CTAB17\r\n");
  expect_rejected("CTAB00\r\n");
  expect_rejected("CTAX08\r\n");
}

TEST_F(SerialReply, TitleDecodesJisAndDropsTrailingSpaces) {
  expect_accepted("CT032422" + repeat("2121", 27) + "\r\n");
  EXPECT_EQ(title_text(state.settings.titles[2]), "\x82\xa0");  // "あ"
  expect_accepted("CT03" + repeat("2121", 28) + "\r\n");
  EXPECT_EQ(title_text(state.settings.titles[2]), "");
  // Inner spaces stay.
  expect_accepted("CT0121212422" + repeat("2121", 26) + "\r\n");
  EXPECT_EQ(title_text(state.settings.titles[0]), "\x81\x40\x82\xa0");
}

TEST_F(SerialReply, TitleLengthFollowsTheFontSizeOfTheUnit) {
  expect_accepted("CT05" + repeat("2422", 14) + "\r\n");
  EXPECT_EQ(title_text(state.settings.titles[4]).size(), 28u);
  expect_accepted("CT05" + repeat("2422", 21) + "\r\n");
  EXPECT_EQ(title_text(state.settings.titles[4]).size(), 42u);
  expect_rejected("CT05" + repeat("2422", 20) + "\r\n");
  expect_rejected("CT33" + repeat("2422", 28) + "\r\n");  // 32 inputs
  expect_rejected("CT00" + repeat("2422", 28) + "\r\n");
}

TEST_F(SerialReply, TitleCodesOutsideTheRowsConvertAsDocumented) {
  // Above 7C7E: an ideographic space. A byte outside 21..7E: the title ends there.
  expect_accepted(
      "CT01"
      "2422"
      "7D21"
      "2422"
      "0022"
      "2422" +
      repeat("2121", 23) + "\r\n");
  EXPECT_EQ(title_text(state.settings.titles[0]), "\x82\xa0\x81\x40\x82\xa0");
}

TEST_F(SerialReply, PasswordFlagsAndText) {
  expect_accepted("PMON\r\n");
  EXPECT_EQ(state.settings.passwordOnMenu, 1);
  expect_accepted("POON\r\n");
  EXPECT_EQ(state.settings.passwordOnButton, 1);
  expect_rejected("POOX\r\n");
  expect_accepted("PN123456\r\n");
  EXPECT_EQ(buffer_text(state.settings.password), "123456");
  expect_accepted("PNab34cd\r\n");  // stored as received
  EXPECT_EQ(buffer_text(state.settings.password), "ab34cd");
  expect_rejected("PN1234567\r\n");
}

TEST_F(SerialReply, GlyphReplyMustAnswerTheLastRequest) {
  EXPECT_FALSE(reply("FBMSA365" + std::string(144, '0') + "\r\n").glyph_updated)
      << "nothing was asked for";
  state.exchange.abandon();
  state.awaitedGlyphCode =
      requested_glyph_code(build_read_registered_glyph(GlyphSize::small, 0).text).value();
  EXPECT_EQ(state.awaitedGlyphCode, "A365");
  const std::string bitmap = "80" + std::string(142, '0');
  expect_accepted("FBMSA365" + bitmap + "\r\n");
  EXPECT_EQ(state.settings.glyphBitmap[0], 0x80);
  EXPECT_TRUE(reply("FBMSA365" + bitmap + "\r\n").glyph_updated);
  state.exchange.success_reported();
  expect_rejected("FBMSA366" + bitmap + "\r\n");
  expect_rejected("FBMSA365" + bitmap + std::string(120, '0') + "\r\n");  // end at 264
  expect_rejected("FBMMA365" + bitmap + "\r\n");
  expect_rejected("FBMSA365" + std::string(143, '0') + "G\r\n");
  const std::string large = "FBMLA365" + repeat("ff", 288) + "\r\n";
  expect_accepted(large);
  EXPECT_EQ(state.settings.glyphBitmap[287], 0xFF);
}

TEST_F(SerialReply, StatusRepliesFeedTheGrid) {
  std::string state_line = "OCD";
  for (int k = 1; k <= 32; ++k) state_line += decimal_text(k, 2);
  expect_accepted(state_line + "\r\n");
  EXPECT_EQ(state.status.shownInput[31], 31);
  EXPECT_EQ(state.status.changedCells.size(), 32u);
  expect_rejected("OCD00" + state_line.substr(5) + "\r\n");
  expect_rejected("OCD33" + state_line.substr(5) + "\r\n");

  expect_accepted("OSS02" + repeat("I01", 31) + "\r\n");
  EXPECT_EQ(state.status.switchingPattern[0], 1);
  EXPECT_EQ(state.status.switchingPattern[1], kNothingShown);
  expect_accepted("OSS99" + repeat("I01", 31) + "\r\n");  // digits out of range are taken
  EXPECT_EQ(state.status.switchingPattern[0], 98);
  expect_accepted("OSS0:" + repeat("I01", 31) + "\r\n");  // as they come, unchecked
  EXPECT_EQ(state.status.switchingPattern[0], 9);
  expect_rejected("OSX02" + repeat("I01", 31) + "\r\n");
}

TEST_F(SerialReply, ConverterAddressesNeedNumbersThatFitAnOctet) {
  expect_accepted("EIA010.000.000.001\r\n");
  EXPECT_EQ(state.settings.converterIpAddress, (Octets{10, 0, 0, 1}));
  expect_accepted("EGA010-020-030-040\r\n");  // separators are not examined
  EXPECT_EQ(state.settings.converterGatewayAddress, (Octets{10, 20, 30, 40}));
  expect_accepted("EAA192.168.001.009\r\n");
  EXPECT_EQ(state.settings.converterActiveAddress, (Octets{192, 168, 1, 9}));
  expect_rejected("EIA256.000.000.001\r\n");
  expect_rejected("EIA0x0.000.000.001\r\n");
  expect_rejected("EIA010.000.000.01\r\n");
}

TEST_F(SerialReply, ConverterFlagsAndTexts) {
  expect_accepted("ECTON\r\n");
  EXPECT_EQ(state.settings.converterConnectionTry, 1);
  expect_accepted("EKAOF\r\n");
  EXPECT_EQ(state.settings.converterKeepAlive, 0);
  expect_rejected("EKANO\r\n");
  expect_accepted("EMA00-80-45-12-34-56\r\n");
  EXPECT_EQ(buffer_text(state.settings.converterMacAddress), "00-80-45-12-34-56");
  expect_rejected("EPN1000a\r\n");
  expect_accepted("EPN10001\r\n");
  EXPECT_EQ(buffer_text(state.settings.converterPortNumber), "10001");
  expect_accepted("ESMB\r\n");
  EXPECT_EQ(state.settings.converterSubnetClass, 1);
  expect_rejected("ESMD\r\n");
  expect_accepted("ETR6\r\n");
  EXPECT_EQ(state.settings.converterTimeRegister, 5);
  expect_rejected("ETR7\r\n");
  expect_accepted("VN 1.02\r\n");
  EXPECT_EQ(buffer_text(state.settings.converterVersion), "1.02");
  expect_rejected("VN 1.023\r\n");
}

TEST_F(SerialReply, OverlongLinesAreCutNotOverrun) {
  expect_rejected(std::string(5000, 'C') + "\r\n");
}

class SocketReply : public ::testing::Test {
 protected:
  void reply(std::string_view line) {
    state.exchange.sent();
    ReplyTarget target{state.settings, state.awaitedGlyphCode, &state.status};
    handle_socket_reply(state.exchange, target, line);
  }
  Session state;
};

TEST_F(SocketReply, AnyLineThatIsNeitherDataNorConditionAcknowledges) {
  reply("XYZ\r\n");
  EXPECT_EQ(state.exchange.completion(), Completion::single);
  state.exchange.success_reported();
  reply("GOOD\r\n");  // "GO" as its beginning
  EXPECT_EQ(state.exchange.completion(), Completion::single);
  EXPECT_FALSE(state.exchange.awaiting_reply());
}

TEST_F(SocketReply, ConditionsAndRejectionsAreStillReported) {
  reply("LOCK\r\n");
  EXPECT_EQ(state.exchange.result_code(), ResultCode::lock);
  state.exchange.abandon();
  reply("OP65\r\n");
  EXPECT_EQ(state.exchange.result_code(), ResultCode::command_error);
}

TEST_F(SocketReply, MacAddressIsOnlyReadOnTheSerialRoad) {
  reply("EMA00-80-45-12-34-56\r\n");
  EXPECT_EQ(buffer_text(state.settings.converterMacAddress), "");
  EXPECT_EQ(state.exchange.completion(), Completion::single);  // taken as an acknowledgement
}

TEST(LineAssembler, EveryLfEndsALine) {
  LineAssembler assembler;
  EXPECT_TRUE(assembler.feed("G").empty());
  EXPECT_EQ(assembler.feed("O\r\n"), (std::vector<std::string>{"GO\r\n"}));
  EXPECT_EQ(assembler.feed("GO\r\nE1\r\nOP"), (std::vector<std::string>{"GO\r\n", "E1\r\n"}));
  EXPECT_EQ(assembler.feed("FR\r\n"), (std::vector<std::string>{"OPFR\r\n"}));
}

TEST(LineAssembler, OverlongInputIsCutAtTheLineBuffer) {
  LineAssembler assembler;
  EXPECT_TRUE(assembler.feed(std::string(2000, 'x')).empty());
  EXPECT_EQ(assembler.pending(), 599u);
  const auto lines = assembler.feed("\r\nGO\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 599u);
  EXPECT_EQ(lines[1], "GO\r\n");
}

}  // namespace
}  // namespace orv
