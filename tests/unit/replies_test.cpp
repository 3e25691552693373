#include "protocol/replies.h"

#include <gtest/gtest.h>

#include "link/line_assembler.h"
#include "link/reply_roads.h"
#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "test_support.h"

namespace orv {
namespace {

using test::repeat;

class SerialReply : public ::testing::Test, public test::SessionWithLinks {
 protected:
  // The line arrives as the answer to a command sent just before.
  ReplyTarget reply(std::string_view line) {
    state.operator_road.exchange.sent();
    return arrives(line);
  }
  // The line arrives whether or not a reply is awaited.
  ReplyTarget arrives(std::string_view line) {
    // Asked for by the read it answers ("RCT03" for "CT03…"); "GO" by a
    // command that sets something.
    const std::string asked = line.ends_with("GO\r\n")
                                  ? std::string("CTI01ON")
                                  : "R" + std::string(line.substr(0, line.find('\r')));
    ReplyTarget target{state.document.settings, state.operator_road.awaitedGlyphCode,
                       &state.monitor.grid, false, asked};
    take_reply(state.operator_road.exchange, target, ReplyRoad::serial,
               without_own_address(line, state.framing()));
    return target;
  }
  // The line is rejected: Command Error, and nothing changed.
  void expect_rejected(std::string_view line) {
    SCOPED_TRACE(std::string(line.substr(0, 40)));
    const size_t before = test::digest(state);
    reply(line);
    EXPECT_EQ(state.operator_road.exchange.result_code(), ResultCode::command_error);
    EXPECT_EQ(state.operator_road.exchange.completion(), Completion::none);
    EXPECT_EQ(test::digest(state), before);
    state.operator_road.exchange.abandon();
  }
  void expect_accepted(std::string_view line) {
    SCOPED_TRACE(std::string(line.substr(0, 40)));
    reply(line);
    EXPECT_EQ(state.operator_road.exchange.result_code(), ResultCode::none);
    EXPECT_EQ(state.operator_road.exchange.completion(), Completion::single);
    state.operator_road.exchange.success_reported();
  }
  Session& state = session;
};

TEST_F(SerialReply, AcknowledgementAndConditions) {
  reply("GO\r\n");
  EXPECT_EQ(state.operator_road.exchange.completion(), Completion::single);
  EXPECT_FALSE(state.operator_road.exchange.awaiting_reply());
  state.operator_road.exchange.success_reported();
  arrives("GO\r\n");  // nobody waits for it
  EXPECT_EQ(state.operator_road.exchange.result_code(), ResultCode::command_error);

  const std::vector<std::tuple<std::string, ResultCode, std::string>> cases{
      {"MENU\r\n", ResultCode::menu, "Menu Display"},
      {"GN\r\n", ResultCode::mode_error, "Mode Error"},
      {"E2\r\n", ResultCode::over_run_error, "Over Run Error"},
      {"E3\r\n", ResultCode::command_error, "Command Error"}};
  for (const auto& [line, code, text] : cases) {
    reply(line);
    EXPECT_EQ(state.operator_road.exchange.result_code(), code) << line;
    EXPECT_EQ(condition_text(code), text);
    EXPECT_EQ(state.operator_road.exchange.completion(), Completion::none);
    EXPECT_FALSE(state.operator_road.exchange.awaiting_reply());
  }
}

TEST_F(SerialReply, Rs485StripsOnlyTheSelectedUnitsAddress) {
  state.selections.slaveAddress = 5;
  expect_rejected("05GO\r\n");  // RS-232C keeps an address-like prefix
  state.config.control = 1;
  expect_accepted("05GO\r\n");
  expect_accepted("GO\r\n");
  expect_rejected("07GO\r\n");
  reply("05E1\r\n");
  EXPECT_EQ(state.operator_road.exchange.result_code(), ResultCode::parity_error);
}

// Wrong lengths, letters outside a row's alphabet and numbers outside their
// range, row by row: a pattern one entry short, input 33 of 32, a title of
// 20 characters (no font size shows that many), a line cut rather than
// overrun.
TEST_F(SerialReply, MalformedRepliesAreRejectedAndChangeNothing) {
  expect_rejected("MENU");
  expect_rejected("");
  expect_rejected(std::string(5000, 'C') + "\r\n");
  for (const char* line : {"XYZ", "OP65", "OP00", "OP0A", "TSDR9", "TSDR0", "TSDR1 ", "TSDSX",
                           "CTAB17", "CTAB00", "CTAX08", "POOX", "PN1234567"})
    expect_rejected(std::string(line) + "\r\n");
  for (const char* line : {"EIA256.000.000.001", "EIA0x0.000.000.001", "EIA010.000.000.01", "EKANO",
                           "EPN1000a", "ESMD", "ETR7", "VN 1.023"})
    expect_rejected(std::string(line) + "\r\n");
  for (const char* head : {"OP03", "OP65I01", "OP03X01", "OP03I00", "OP03I33", "OP03S65"})
    expect_rejected(head + repeat("I01", 31) + "\r\n");
  for (const std::string& line :
       {"SP02" + repeat("05", 64), "SP65" + repeat("05", 32), "SP02" + repeat("0A", 32),
        "TSI" + std::string(31, 'N') + "X", "TSI" + std::string(33, 'N'),
        "CTO" + std::string(32, 'T'), "CTPI" + std::string(32, 'N'),
        "CTSI" + std::string(31, 'L') + "X", "OE" + std::string(31, 'N'),
        "CT05" + repeat("2422", 20), "CT33" + repeat("2422", 28), "CT00" + repeat("2422", 28)})
    expect_rejected(line + "\r\n");
}

TEST_F(SerialReply, AcceptedRepliesStoreTheirValues) {
  expect_accepted("OPFR\r\n");
  EXPECT_EQ(state.document.settings.currentScreenPattern, kFreeLayout);
  expect_accepted("OP03I05" + repeat("S02", 30) + "S64\r\n");
  EXPECT_EQ(state.document.settings.screenPatterns[2][0], 4);
  EXPECT_EQ(state.document.settings.screenPatterns[2][1], 33);
  EXPECT_EQ(state.document.settings.screenPatterns[2][31], 95);
  expect_accepted("SP02" + repeat("05", 31) + "00\r\n");
  EXPECT_EQ(state.document.settings.autoSwitchPatterns[1][31], 0);
  EXPECT_EQ(state.document.settings.autoSwitchPatterns[1][32], 3);  // beyond inputCount: untouched
  expect_accepted("PNab34cd\r\n");                                  // stored as received
  EXPECT_EQ(buffer_text(state.document.settings.password), "ab34cd");
  expect_accepted("EGA010-020-030-040\r\n");  // separators are not examined
  EXPECT_EQ(state.document.settings.converterGatewayAddress, (Octets{10, 20, 30, 40}));
}

TEST_F(SerialReply, LengthsAndInputCodesFollowTheModel) {
  use_tarquine();
  expect_rejected("TSI" + std::string(32, 'F') + "\r\n");
  expect_accepted("CTI" + std::string(63, 'F') + "N\r\n");
  EXPECT_EQ(state.document.settings.titleDisplayInput[63], 1);
  expect_accepted("OP01I64S64" + repeat("I33", 30) + "\r\n");
  EXPECT_EQ(state.document.settings.screenPatterns[0][0], 63);
  EXPECT_EQ(state.document.settings.screenPatterns[0][1], 127);
  EXPECT_EQ(state.document.settings.screenPatterns[0][2], 32);
  expect_accepted("SP64" + repeat("99", 64) + "\r\n");
  EXPECT_EQ(state.document.settings.autoSwitchPatterns[63][63], 99);
}

TEST_F(SerialReply, TitlesComeByTheFontSizeAndLoseTrailingSpaces) {
  expect_accepted("CT0121212422" + repeat("2121", 26) + "\r\n");
  EXPECT_EQ(title_text(state.document.settings.titles[0]),
            "\x81\x40\x82\xa0");  // inner space stays
  expect_accepted("CT03" + repeat("2121", 28) + "\r\n");
  EXPECT_EQ(title_text(state.document.settings.titles[2]), "");
  expect_accepted("CT05" + repeat("2422", 14) + "\r\n");
  EXPECT_EQ(title_text(state.document.settings.titles[4]).size(), 28u);
  expect_accepted("CT05" + repeat("2422", 21) + "\r\n");
  EXPECT_EQ(title_text(state.document.settings.titles[4]).size(), 42u);
  // Above 7C7E: an ideographic space, unless it is a registration's glyph
  // code (A369: 005). A byte outside 21..7E: the title ends there.
  expect_accepted("CT01" + std::string("24227D21A369242200222422") + repeat("2121", 22) + "\r\n");
  EXPECT_EQ(title_text(state.document.settings.titles[0]), "\x82\xa0\x81\x40\xF0\x44\x82\xa0");
}

TEST_F(SerialReply, GlyphReplyMustAnswerTheLastRequest) {
  EXPECT_FALSE(reply("FBMSA365" + std::string(144, '0') + "\r\n").glyph_updated)
      << "nothing was asked for";
  state.operator_road.exchange.abandon();
  state.operator_road.awaitedGlyphCode =
      requested_glyph_code(build_read_registered_glyph(GlyphSize::small, 0).text).value();
  const std::string bitmap = "80" + std::string(142, '0');
  EXPECT_TRUE(reply("FBMSA365" + bitmap + "\r\n").glyph_updated);
  EXPECT_EQ(state.document.settings.glyphBitmap[0], 0x80);
  state.operator_road.exchange.success_reported();
  expect_rejected("FBMSA366" + bitmap + "\r\n");
  expect_rejected("FBMSA365" + bitmap + std::string(120, '0') + "\r\n");  // end at 264
  expect_rejected("FBMMA365" + bitmap + "\r\n");
  expect_rejected("FBMSA365" + std::string(143, '0') + "G\r\n");
}

TEST_F(SerialReply, StatusRepliesFeedTheGridAndAreCheckedToTheirLineEnd) {
  std::string state_line = "OCD";
  for (int k = 1; k <= 32; ++k) state_line += decimal_text(k, 2);
  expect_accepted(state_line + "\r\n");
  EXPECT_EQ(state.monitor.grid.shownInput[31], 31);
  EXPECT_EQ(state.monitor.grid.changedCells.size(), 32u);
  expect_rejected("OCD00" + state_line.substr(5) + "\r\n");
  expect_rejected("OCD33" + state_line.substr(5) + "\r\n");
  expect_rejected(state_line.substr(0, state_line.size() - 2) + "\r\n");

  expect_accepted("OSS02" + repeat("I01", 31) + "\r\n");
  EXPECT_EQ(state.monitor.grid.switchingPattern[0], 1);
  EXPECT_EQ(state.monitor.grid.switchingPattern[1], kNothingShown);
  expect_accepted("OSS0:" + repeat("I01", 31) + "\r\n");  // digits as they come, unchecked
  EXPECT_EQ(state.monitor.grid.switchingPattern[0], 9);
  expect_rejected("OSX02" + repeat("I01", 31) + "\r\n");
  expect_rejected("OSS02" + repeat("I01", 30) + "\r\n");
}

// Only the answer to the read asked is stored, and a line the unit would
// not send is a Command Error, on TCP/IP as on the serial line. A data reply
// nobody waits for changes nothing; an unasked GO is a Command Error.
TEST(SocketReply, OnlyTheAnswerToWhatWasAskedCounts) {
  Session state;
  const auto reply = [&](std::string_view line, std::string_view asked) {
    state.operator_road.exchange.abandon();
    if (!asked.empty()) state.operator_road.exchange.sent();
    ReplyTarget target{state.document.settings, state.operator_road.awaitedGlyphCode,
                       &state.monitor.grid, false, asked};
    take_reply(state.operator_road.exchange, target, ReplyRoad::socket, line);
    return state.operator_road.exchange.result_code();
  };
  EXPECT_EQ(reply("XYZ\r\n", "RPN"), ResultCode::command_error);
  EXPECT_EQ(reply("PN123456\r\n", "RCTI"), ResultCode::command_error);
  EXPECT_EQ(reply("PN123456\r\n", ""), ResultCode::none);
  EXPECT_EQ(buffer_text(state.document.settings.password), "482915") << "neither stored anything";
  EXPECT_EQ(reply("PN123456\r\n", "RPN"), ResultCode::none);
  EXPECT_EQ(buffer_text(state.document.settings.password), "123456");
  EXPECT_EQ(reply("EMA00-80-45-12-34-56\r\n", "REMA"), ResultCode::command_error)
      << "the MAC address is read on the serial road only";
  EXPECT_EQ(reply("LOCK\r\n", "RPN"), ResultCode::lock);
  EXPECT_EQ(reply("GO\r\n", ""), ResultCode::command_error);
  // The acknowledgement is "GO" and nothing else, and only of a command
  // that sets something: a read is done by its data reply alone.
  EXPECT_EQ(reply("GO\r\n", "CTI01ON"), ResultCode::none);
  EXPECT_EQ(state.operator_road.exchange.completion(), Completion::single);
  for (const char* near : {"GO#\r\n", "GOOD\r\n", "GO \r\n"})
    EXPECT_EQ(reply(near, "CTI01ON"), ResultCode::command_error) << near;
  state.operator_road.exchange.success_reported();
  const std::string title(title_text(state.document.settings.titles[4]));
  EXPECT_EQ(reply("GO\r\n", "RCT05"), ResultCode::command_error);
  EXPECT_EQ(state.operator_road.exchange.completion(), Completion::none) << "the read is not done";
  EXPECT_EQ(title_text(state.document.settings.titles[4]), title);
  EXPECT_EQ(reply("OP07I01\r\n", "ROP"), ResultCode::command_error) << "not the pattern in force";
}

TEST(LineAssembler, EveryLfEndsALineAndOverlongInputIsCutAtTheLineBuffer) {
  LineAssembler assembler;
  EXPECT_TRUE(assembler.feed("G").empty());
  EXPECT_EQ(assembler.feed("O\r\n"), (std::vector<std::string>{"GO\r\n"}));
  EXPECT_EQ(assembler.feed("GO\r\nE1\r\nOP"), (std::vector<std::string>{"GO\r\n", "E1\r\n"}));
  EXPECT_EQ(assembler.feed("FR\r\n"), (std::vector<std::string>{"OPFR\r\n"}));
  EXPECT_TRUE(assembler.feed(std::string(2000, 'x')).empty());
  EXPECT_EQ(assembler.pending(), 599u);
  const auto lines = assembler.feed("\r\nGO\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 599u);
  EXPECT_EQ(lines[1], "GO\r\n");
}

}  // namespace
}  // namespace orv
