// The date and time dialog without windows: the clock lists preset from the
// computer's clock, the command of each field, and the display range names.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "protocol/command.h"

namespace orv {

enum class ClockField { year, month, day, hour, minute, second };
inline constexpr std::array<ClockField, 6> kClockFields{ClockField::year,   ClockField::month,
                                                        ClockField::day,    ClockField::hour,
                                                        ClockField::minute, ClockField::second};

// The items of a field's list: "2000".."2099", "01".."12", "01".."31",
// "00".."23", "00".."59".
std::vector<std::string> clock_items(ClockField field);

// The item each list shows for a local time; the year has none (-1) outside
// 2000..2099.
std::array<int, 6> clock_items_of(int year, int month, int day, int hour, int minute, int second);

// The field's set command for the list's item (-1: none chosen). A value
// outside the field's range is refused as the catalogue says: "Command
// Error", except the month, which is refused without a word.
Command clock_command(ClockField field, int item);

// "年～秒" .. "時～分": the display ranges, in the order of dateTimeRange.
std::vector<std::string> display_range_names();

}  // namespace orv
