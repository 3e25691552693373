#include "unit_settings/date_time.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

struct FieldList {
  int first;  // the value of item 0
  int count;
  int width;  // digits shown
};

FieldList list_of(ClockField field) {
  switch (field) {
    case ClockField::year:
      return {2000, 100, 4};
    case ClockField::month:
      return {1, 12, 2};
    case ClockField::day:
      return {1, 31, 2};
    case ClockField::hour:
      return {0, 24, 2};
    case ClockField::minute:
    case ClockField::second:
      break;
  }
  return {0, 60, 2};
}

int item_of(ClockField field, int value) {
  const FieldList list = list_of(field);
  const int item = value - list.first;
  return item >= 0 && item < list.count ? item : -1;
}

}  // namespace

std::vector<std::string> clock_items(ClockField field) {
  const FieldList list = list_of(field);
  std::vector<std::string> items;
  for (int i = 0; i < list.count; ++i) items.push_back(decimal_text(list.first + i, list.width));
  return items;
}

std::array<int, 6> clock_items_of(int year, int month, int day, int hour, int minute, int second) {
  return {item_of(ClockField::year, year),     item_of(ClockField::month, month),
          item_of(ClockField::day, day),       item_of(ClockField::hour, hour),
          item_of(ClockField::minute, minute), item_of(ClockField::second, second)};
}

Command clock_command(ClockField field, int item) {
  switch (field) {
    case ClockField::year:
      return build_set_year(item);  // the year's item is year - 2000
    case ClockField::month:
      return build_set_month(item + 1);
    case ClockField::day:
      return build_set_day(item + 1);
    case ClockField::hour:
      return build_set_hour(item);
    case ClockField::minute:
      return build_set_minute(item);
    case ClockField::second:
      break;
  }
  return build_set_second(item);
}

std::vector<std::string> display_range_names() {
  return {"年～秒", "年～分", "年～日", "月～秒", "月～分", "月～日", "時～秒", "時～分"};
}

}  // namespace orv
