#include "protocol/commands.h"
#include "protocol/channel_arrays.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace orv {
namespace {

using Refusal = Command::Refusal;
using test::repeat;

std::string text(const Command& c) {
  return c.sendable() ? c.text : "<refused>";
}
bool refused_as_error(const Command& c) {
  return c.refusal == Refusal::command_error;
}

TEST(PatternCommands, SwitchAndRead) {
  EXPECT_EQ(text(build_switch_pattern(6)), "OP07\r\n");
  EXPECT_EQ(text(build_switch_pattern(0)), "OP01\r\n");
  EXPECT_EQ(text(build_switch_pattern(kFreeLayout)), "OPFR\r\n");
  EXPECT_TRUE(refused_as_error(build_switch_pattern(65)));
  EXPECT_EQ(text(build_read_pattern_in_force()), "ROP\r\n");
  EXPECT_EQ(text(build_read_pattern(63)), "ROP64\r\n");
}

TEST(PatternCommands, OneOutputCarriesItsSourceEntryByInputCount) {
  EXPECT_EQ(text(build_free_layout_output(4, 33, 32)), "O05S02\r\n");
  EXPECT_EQ(text(build_free_layout_output(4, 65, 64)), "O05S02\r\n");
  EXPECT_EQ(text(build_free_layout_output(4, 11, 32)), "O05I12\r\n");
  EXPECT_EQ(text(build_pattern_output(2, 4, 33, 32)), "OP0305S02\r\n");
  EXPECT_EQ(text(build_pattern_output(2, 4, 65, 64)), "OP0305S02\r\n");
  // A code outside 0..inputCount+63 cannot be written as an entry.
  EXPECT_TRUE(refused_as_error(build_free_layout_output(0, 96, 32)));
  EXPECT_TRUE(refused_as_error(build_pattern_output(64, 0, 0, 32)));
}

TEST(PatternCommands, WholeLayoutsHaveTheirFixedLengths) {
  LayoutRow row{};
  for (int j = 0; j < kOutputCount; ++j) row[j] = j;
  row[1] = 32;  // SP01 with 32 inputs
  const Command free = build_free_layout(row, 32);
  ASSERT_TRUE(free.sendable());
  EXPECT_EQ(free.text.size(), 100u);
  EXPECT_EQ(free.text.substr(0, 11), "OSI01S01I03");
  EXPECT_EQ(free.text.substr(95), "I32\r\n");

  const Command pattern = build_pattern(4, row, 32);
  ASSERT_TRUE(pattern.sendable());
  EXPECT_EQ(pattern.text.size(), 102u);
  EXPECT_EQ(pattern.text.substr(0, 10), "OP05I01S01");

  row[7] = 999;
  EXPECT_TRUE(refused_as_error(build_pattern(4, row, 32)));
}

TEST(SwitchingPatternCommands, DwellTimesAsHeld) {
  EXPECT_EQ(text(build_dwell_time(2, 4, 10)), "SP030510\r\n");
  EXPECT_EQ(text(build_dwell_time(63, 63, 0)), "SP646400\r\n");
  EXPECT_TRUE(refused_as_error(build_dwell_time(0, 0, 100)));
  DwellRow row{};
  row.fill(3);
  EXPECT_EQ(text(build_switching_pattern(0, row, 32)), "SP01" + repeat("03", 32) + "\r\n");
  EXPECT_EQ(build_switching_pattern(0, row, 64).text.size(), 134u);
  EXPECT_EQ(text(build_read_switching_pattern(9)), "RSP10\r\n");
}

TEST(DateTimeCommands, ValuesAndRefusals) {
  EXPECT_EQ(text(build_set_year(24)), "DSY24\r\n");
  EXPECT_EQ(text(build_set_month(3)), "DSM03\r\n");
  EXPECT_EQ(text(build_set_day(5)), "DSD05\r\n");
  EXPECT_EQ(text(build_set_hour(7)), "TSH07\r\n");
  EXPECT_EQ(text(build_set_minute(8)), "TSM08\r\n");
  EXPECT_EQ(text(build_set_second(9)), "TSS09\r\n");
  EXPECT_EQ(text(build_thirty_second_correction()), "TSA\r\n");
  EXPECT_EQ(text(build_date_time_range(3)), "TSDR4\r\n");
  EXPECT_EQ(text(build_date_time_range(7)), "TSDR8\r\n");
  EXPECT_EQ(text(build_date_time_size(0)), "TSDSN\r\n");
  EXPECT_EQ(text(build_date_time_size(1)), "TSDSS\r\n");
  EXPECT_EQ(text(build_date_time_size(7)), "TSDSN\r\n");
  EXPECT_EQ(text(build_read_date_time_range()), "RTSDR\r\n");
  EXPECT_EQ(text(build_read_date_time_size()), "RTSDS\r\n");

  EXPECT_TRUE(refused_as_error(build_set_year(100)));
  EXPECT_TRUE(refused_as_error(build_set_year(-1)));
  // The month is refused without a report.
  EXPECT_EQ(build_set_month(13).refusal, Refusal::silent);
  EXPECT_EQ(build_set_month(0).refusal, Refusal::silent);
  EXPECT_TRUE(refused_as_error(build_set_day(32)));
  EXPECT_TRUE(refused_as_error(build_set_day(0)));
  EXPECT_TRUE(refused_as_error(build_set_hour(24)));
  EXPECT_TRUE(refused_as_error(build_set_minute(60)));
  EXPECT_TRUE(refused_as_error(build_set_second(60)));
  EXPECT_TRUE(refused_as_error(build_date_time_range(8)));
}

TEST(PerChannelCommands, SingleChannelForms) {
  EXPECT_EQ(text(build_title_display_input(11, 1)), "CTI12ON\r\n");
  EXPECT_EQ(text(build_title_display_output(0, 0)), "CTO01OF\r\n");
  EXPECT_EQ(text(build_date_time_display_input(63, 1)), "TSI64ON\r\n");
  EXPECT_EQ(text(build_date_time_display_output(31, 0)), "TSO32OF\r\n");
  EXPECT_EQ(text(build_title_position(4, 1)), "CTPI05T\r\n");
  EXPECT_EQ(text(build_title_position(4, 7)), "CTPI05T\r\n");
  EXPECT_EQ(text(build_title_position(4, 0)), "CTPI05B\r\n");
  EXPECT_EQ(text(build_font_size(4, 2)), "CTSI05S\r\n");
  EXPECT_EQ(text(build_font_size(4, 1)), "CTSI05M\r\n");
  EXPECT_EQ(text(build_font_size(4, 9)), "CTSI05L\r\n");
  EXPECT_EQ(text(build_video_output(0, 0)), "OE02OF\r\n");
  EXPECT_EQ(text(build_video_output(30, 1)), "OE32ON\r\n");
  EXPECT_EQ(text(build_video_output(30, 5)), "OE32OF\r\n");
}

TEST(PerChannelCommands, DisplaySwitchesRefuseStoredValuesOtherThanOffAndOn) {
  EXPECT_TRUE(refused_as_error(build_title_display_input(0, 2)));
  EXPECT_TRUE(refused_as_error(build_title_display_output(0, -1)));
  EXPECT_TRUE(refused_as_error(build_date_time_display_input(0, 9)));
  EXPECT_TRUE(refused_as_error(build_date_time_display_output(0, 2)));
}

TEST(PerChannelCommands, AllChannelFormsCarryOneLetterPerChannel) {
  using M = PerChannelMember;
  std::vector<int> sizes(32, 2);
  sizes[0] = 0;
  sizes[1] = 1;
  sizes[2] = -1;  // outside the list: "S", as any value but 0 and 1
  EXPECT_EQ(text(build_all_channels(M::font_size, sizes)),
            "CTSILMS" + std::string(29, 'S') + "\r\n");
  std::vector<int> display(64, 7);  // not 1: "F"
  display[5] = 1;
  EXPECT_EQ(text(build_all_channels(M::date_time_display_input, display)),
            "TSIFFFFFN" + std::string(58, 'F') + "\r\n");
  std::vector<int> video(32, 3);  // non-zero: "N"
  video[0] = 0;
  EXPECT_EQ(text(build_all_channels(M::video_output, video)),
            "OEF" + std::string(31, 'N') + "\r\n");
  std::vector<int> position(32, 0);
  position[31] = 5;  // non-zero: "T"
  EXPECT_EQ(text(build_all_channels(M::title_position, position)),
            "CTPI" + std::string(31, 'B') + "T\r\n");
  EXPECT_EQ(text(build_all_channels(M::title_display_output, std::vector<int>(32, 1))),
            "CTO" + std::string(32, 'N') + "\r\n");
}

TEST(PerChannelCommands, Reads) {
  EXPECT_EQ(text(build_read_date_time_display_input()), "RTSI\r\n");
  EXPECT_EQ(text(build_read_date_time_display_output()), "RTSO\r\n");
  EXPECT_EQ(text(build_read_title_display_input()), "RCTI\r\n");
  EXPECT_EQ(text(build_read_title_display_output()), "RCTO\r\n");
  EXPECT_EQ(text(build_read_title_position()), "RCTPI\r\n");
  EXPECT_EQ(text(build_read_font_size()), "RCTSI\r\n");
  EXPECT_EQ(text(build_read_video_output()), "ROE\r\n");
}

TEST(TitleCommands, TitleOffsetsAndReads) {
  std::array<std::uint16_t, 28> codes{};
  codes.fill(0x2121);
  codes[0] = 0x2422;
  const Command title = build_title(2, codes);
  EXPECT_EQ(title.text, "CT032422" + repeat("2121", 27) + "\r\n");
  EXPECT_EQ(title.text.size(), 118u);
  EXPECT_EQ(text(build_title_offset_top(7)), "CTAT08\r\n");
  EXPECT_EQ(text(build_title_offset_bottom(15)), "CTAB16\r\n");
  EXPECT_EQ(text(build_read_title(63)), "RCT64\r\n");
  EXPECT_EQ(text(build_read_title_offset_top()), "RCTAT\r\n");
  EXPECT_EQ(text(build_read_title_offset_bottom()), "RCTAB\r\n");
}

TEST(PasswordCommands, FlagsAndSixDigits) {
  EXPECT_EQ(text(build_password_on_button(1)), "POON\r\n");
  EXPECT_EQ(text(build_password_on_button(0)), "POOF\r\n");
  EXPECT_EQ(text(build_password_on_menu(1)), "PMON\r\n");
  EXPECT_EQ(text(build_password_on_menu(0)), "PMOF\r\n");
  EXPECT_EQ(text(build_password("482915")), "PN482915\r\n");
  EXPECT_TRUE(refused_as_error(build_password("48291a")));
  EXPECT_TRUE(refused_as_error(build_password("48291")));
  EXPECT_EQ(text(build_read_password_on_button()), "RPO\r\n");
  EXPECT_EQ(text(build_read_password_on_menu()), "RPM\r\n");
  EXPECT_EQ(text(build_read_password()), "RPN\r\n");
}

TEST(GlyphCommands, RegistrationCodesAndLayouts) {
  EXPECT_EQ(text(build_read_registered_glyph(GlyphSize::medium, 0)), "RFBMMA365\r\n");
  EXPECT_EQ(text(build_read_registered_glyph(GlyphSize::small, 25)), "RFBMSA37E\r\n");
  EXPECT_EQ(text(build_read_registered_glyph(GlyphSize::small, 26)), "RFBMSA421\r\n");
  EXPECT_EQ(text(build_read_registered_glyph(GlyphSize::small, 255)), "RFBMSA64A\r\n");
  EXPECT_TRUE(refused_as_error(build_read_registered_glyph(GlyphSize::large, 70)));
  EXPECT_EQ(text(build_read_sample_glyph(GlyphSize::large, 0x2341)), "RFBML2341\r\n");

  std::array<std::uint8_t, 288> bitmap{};
  bitmap[0] = 0x80;
  bitmap[71] = 0x0F;
  const Command small = build_register_glyph(GlyphSize::small, 0, bitmap);
  EXPECT_EQ(small.text.size(), 152u);
  EXPECT_EQ(small.text.substr(0, 8), "GRS00180");
  EXPECT_EQ(small.text.substr(148), "0F\r\n");
  EXPECT_EQ(build_register_glyph(GlyphSize::medium, 159, bitmap).text.size(), 264u);
  EXPECT_EQ(build_register_glyph(GlyphSize::large, 69, bitmap).text.size(), 584u);
  EXPECT_EQ(build_register_glyph(GlyphSize::large, 69, bitmap).text.substr(0, 6), "GRL070");
  EXPECT_TRUE(refused_as_error(build_register_glyph(GlyphSize::medium, 160, bitmap)));

  EXPECT_EQ(text(build_insert_glyph(4, 11, 2)), "G005C12I03\r\n");
}

TEST(StatusCommands, Reads) {
  EXPECT_EQ(text(build_read_output_selection()), "ROS\r\n");
  EXPECT_EQ(text(build_read_output_state()), "ROCD\r\n");
}

TEST(ConverterCommands, SetAndRead) {
  EXPECT_EQ(text(build_converter_ip_address({192, 168, 1, 3})), "EIA192.168.001.003\r\n");
  EXPECT_EQ(text(build_converter_gateway_address({10, 0, 0, 254})), "EGA010.000.000.254\r\n");
  EXPECT_EQ(text(build_converter_active_address({192, 168, 1, 4})), "EAA192.168.001.004\r\n");
  EXPECT_TRUE(refused_as_error(build_converter_ip_address({256, 0, 0, 0})));
  EXPECT_EQ(text(build_converter_connection_try(1)), "ECTON\r\n");
  EXPECT_EQ(text(build_converter_connection_try(0)), "ECTOF\r\n");
  EXPECT_EQ(text(build_converter_keep_alive(1)), "EKAON\r\n");
  EXPECT_EQ(text(build_converter_port_number("10001")), "EPN10001\r\n");
  EXPECT_EQ(text(build_converter_port_number("123")), "EPN00123\r\n") << "left-padded";
  for (const char* bad : {"", "12a", "123456"})
    EXPECT_TRUE(refused_as_error(build_converter_port_number(bad))) << bad;
  EXPECT_EQ(text(build_converter_subnet_class(2)), "ESMC\r\n");
  EXPECT_EQ(text(build_converter_subnet_class(1)), "ESMB\r\n");
  EXPECT_EQ(text(build_converter_subnet_class(0)), "ESMA\r\n");
  EXPECT_EQ(text(build_converter_time_register(5)), "ETR6\r\n");
  EXPECT_TRUE(refused_as_error(build_converter_time_register(6)));
  const std::vector<std::string> reads{"REIA\r\n", "REGA\r\n", "REAA\r\n", "RESM\r\n", "RECT\r\n",
                                       "RETR\r\n", "REPN\r\n", "REKA\r\n", "REMA\r\n", "RVN\r\n"};
  for (int i = 0; i < kConverterReadCount; ++i) EXPECT_EQ(text(build_converter_read(i)), reads[i]);
}

}  // namespace
}  // namespace orv
