#include "bulk/clock_sync.h"

#include <chrono>
#include <ctime>

#include "protocol/commands.h"
#include "protocol/number_text.h"

namespace orv {
namespace {

constexpr int kFirstYear = 2000, kLastYear = 2099;
constexpr std::int64_t kLongestPassMs = 50'000;  // the unit's seconds were set to 00 at its start

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t days_of(int year, int month, int day) {
  const int y = year - (month <= 2);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int of_era = y - era * 400;
  const int of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int of_cycle = of_era * 365 + of_era / 4 - of_era / 100 + of_year;
  return std::int64_t{era} * 146097 + of_cycle - 719468;
}

LocalTime date_of(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto of_cycle = static_cast<int>(days - era * 146097);
  const int of_era = (of_cycle - of_cycle / 1460 + of_cycle / 36524 - of_cycle / 146096) / 365;
  const int of_year = of_cycle - (365 * of_era + of_era / 4 - of_era / 100);
  const int mp = (5 * of_year + 2) / 153;
  LocalTime t;
  t.day = of_year - (153 * mp + 2) / 5 + 1;
  t.month = mp < 10 ? mp + 3 : mp - 9;
  t.year = static_cast<int>(of_era + era * 400) + (t.month <= 2);
  return t;
}

bool same_minute(const LocalTime& a, const LocalTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute;
}

BulkStep labelled(Command command, std::string label) {
  return BulkStep{std::move(command), std::move(label)};
}

}  // namespace

LocalTime local_time_now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &seconds);
#else
  localtime_r(&seconds, &parts);
#endif
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return {parts.tm_year + 1900,
          parts.tm_mon + 1,
          parts.tm_mday,
          parts.tm_hour,
          parts.tm_min,
          parts.tm_sec,
          static_cast<int>(ms < 0 ? ms + 1000 : ms)};
}

std::int64_t civil_ms(const LocalTime& t) {
  return ((days_of(t.year, t.month, t.day) * 24 + t.hour) * 60 + t.minute) * 60'000 +
         std::int64_t{t.second} * 1000 + t.millisecond;
}

LocalTime civil_time(std::int64_t ms) {
  const std::int64_t day_ms = 86'400'000;
  const std::int64_t days = ms >= 0 ? ms / day_ms : (ms - day_ms + 1) / day_ms;
  const std::int64_t of_day = ms - days * day_ms;
  LocalTime t = date_of(days);
  t.hour = static_cast<int>(of_day / 3'600'000);
  t.minute = static_cast<int>(of_day / 60'000 % 60);
  t.second = static_cast<int>(of_day / 1000 % 60);
  t.millisecond = static_cast<int>(of_day % 1000);
  return t;
}

int weekday_of(const LocalTime& t) {
  const std::int64_t days = days_of(t.year, t.month, t.day);
  return static_cast<int>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
}

LocalTime later_by(const LocalTime& t, int ms) {
  return civil_time(civil_ms(t) + ms);
}

ClockSync::ClockSync(Clock clock, int line_ms) : clock_(std::move(clock)), line_ms_(line_ms) {}

std::string ClockSync::refusal() const {
  const int year = clock_().year;
  if (year >= kFirstYear && year <= kLastYear) return {};
  return "the computer's year " + std::to_string(year) + " is outside " +
         std::to_string(kFirstYear) + ".." + std::to_string(kLastYear);
}

BulkStep ClockSync::step(int n) {
  switch (n) {
    case 1:
      sent_ = clock_();
      crossed_ = false;
      return labelled(build_set_second(0), "second 00 first");
    case 2:
      return labelled(build_set_day(1), "day 01 first");
    case 3:
      if (sent_.year < kFirstYear || sent_.year > kLastYear)
        return labelled(Command::refused(), "year " + std::to_string(sent_.year));
      return labelled(build_set_year(sent_.year - kFirstYear), "year");
    case 4:
      return labelled(build_set_month(sent_.month), "month");
    case 5:
      return labelled(build_set_day(sent_.day), "day");
    case 6:
      return labelled(build_set_hour(sent_.hour), "hour");
    case 7:
      return labelled(build_set_minute(sent_.minute), "minute");
    default:
      break;
  }
  const LocalTime now = clock_();
  const LocalTime arriving = later_by(now, line_ms_);
  crossed_ = !same_minute(arriving, sent_) || civil_ms(now) - civil_ms(sent_) > kLongestPassMs;
  return labelled(build_set_second(arriving.second), "second " + decimal_text(arriving.second, 2));
}

}  // namespace orv
