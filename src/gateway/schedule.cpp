#include "gateway/schedule.h"

#include <algorithm>
#include <cctype>

#include "protocol/device_settings.h"

namespace orv::gateway {
namespace {

constexpr std::int64_t kMinuteMs = 60'000;
constexpr std::int64_t kDayMs = 86'400'000;
// A clock put back by more than this is a correction, not a change of season.
constexpr std::int64_t kLongestSeasonalStepMs = std::int64_t{3} * 3'600'000;
constexpr std::array<std::string_view, 7> kDayNames{"sun", "mon", "tue", "wed",
                                                    "thu", "fri", "sat"};

std::vector<std::string_view> words_of(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    size_t end = at;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

// Digits only, within [low, high].
std::optional<int> number_of(std::string_view text, int low, int high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "08:00" as minutes of the day.
std::optional<int> time_of_day(std::string_view text) {
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  const auto hour = number_of(text.substr(0, 2), 0, 23);
  const auto minute = number_of(text.substr(3, 2), 0, 59);
  if (!hour || !minute) return std::nullopt;
  return *hour * 60 + *minute;
}

std::optional<int> day_index(std::string_view name) {
  for (size_t i = 0; i < kDayNames.size(); ++i)
    if (name == kDayNames[i]) return static_cast<int>(i);
  return std::nullopt;
}

// "mon-fri", "sat,sun", "daily", "mon,wed-fri".
bool read_weekdays(std::string_view text, std::array<bool, 7>& days) {
  if (text == "daily") {
    days.fill(true);
    return true;
  }
  size_t at = 0;
  while (at <= text.size()) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string_view part = text.substr(at, comma - at);
    const size_t dash = part.find('-');
    const auto first = day_index(part.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : day_index(part.substr(dash + 1));
    if (!first || !last) return false;
    for (int d = *first;; d = (d + 1) % 7) {  // "fri-mon" goes round the weekend
      days[static_cast<size_t>(d)] = true;
      if (d == *last) break;
    }
    at = comma + 1;
  }
  return true;
}

std::optional<ScheduleWhen> every(std::string_view amount) {
  if (amount.size() < 2) return std::nullopt;
  const char unit = amount.back();
  const auto n =
      number_of(amount.substr(0, amount.size() - 1), 1, unit == 'h' ? 24 * 7 : 60 * 24 * 7);
  if (!n || (unit != 'm' && unit != 'h')) return std::nullopt;
  ScheduleWhen when;
  when.kind = ScheduleWhen::Kind::every;
  when.every_ms = std::int64_t{*n} * (unit == 'h' ? 60 : 1) * kMinuteMs;
  return when;
}

std::optional<ScheduleWhen> on_date(std::string_view date, std::string_view time) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::nullopt;
  ScheduleWhen when;
  when.kind = ScheduleWhen::Kind::once;
  const auto year = number_of(date.substr(0, 4), 2000, 2099);
  const auto month = number_of(date.substr(5, 2), 1, 12);
  const auto day = number_of(date.substr(8, 2), 1, 31);
  const auto minutes = time_of_day(time);
  if (!year || !month || !day || !minutes) return std::nullopt;
  when.year = *year, when.month = *month, when.day = *day, when.minute_of_day = *minutes;
  // A date that does not exist (02-30) comes back as another day.
  const LocalTime back = civil_time(civil_ms(LocalTime{*year, *month, *day, 0, 0, 0, 0}));
  if (back.month != *month || back.day != *day) return std::nullopt;
  return when;
}

}  // namespace

std::string ScheduleAction::text() const {
  switch (kind) {
    case Kind::pattern:
      return pattern == kFreeLayout ? "pattern free" : "pattern " + std::to_string(pattern + 1);
    case Kind::clock_sync:
      return "clock-sync";
    case Kind::backup:
      return "backup";
    case Kind::compare:
      break;
  }
  return "compare";
}

std::optional<ScheduleWhen> parse_schedule_when(std::string_view text, std::string& reason) {
  const auto words = words_of(text);
  std::optional<ScheduleWhen> when;
  if (words.size() == 2 && words[0] == "every") {
    when = every(words[1]);
  } else if (words.size() == 2 && words[0].find('-') == 4) {
    when = on_date(words[0], words[1]);
  } else if (words.size() == 2) {
    ScheduleWhen weekly;
    const auto minutes = time_of_day(words[1]);
    if (minutes && read_weekdays(words[0], weekly.weekdays)) {
      weekly.minute_of_day = *minutes;
      when = weekly;
    }
  }
  if (!when)
    reason = "when needs DAYS HH:MM (mon-fri, sat,sun, daily), YYYY-MM-DD HH:MM, or every Nm / Nh";
  return when;
}

std::optional<ScheduleAction> parse_schedule_action(std::string_view text, std::string& reason) {
  const auto words = words_of(text);
  ScheduleAction action;
  if (words.size() == 1 && words[0] == "clock-sync") {
    action.kind = ScheduleAction::Kind::clock_sync;
  } else if (words.size() == 1 && words[0] == "backup") {
    action.kind = ScheduleAction::Kind::backup;
  } else if (words.size() == 1 && words[0] == "compare") {
    action.kind = ScheduleAction::Kind::compare;
  } else if (words.size() == 2 && words[0] == "pattern") {
    const auto n = number_of(words[1], 1, kPatternCount);
    if (!n && words[1] != "free") {
      reason = "pattern needs 1.." + std::to_string(kPatternCount) + " or free";
      return std::nullopt;
    }
    action.pattern = n ? *n - 1 : kFreeLayout;
  } else {
    reason = "do needs pattern N, pattern free, clock-sync, backup or compare";
    return std::nullopt;
  }
  return action;
}

std::optional<std::int64_t> parse_late(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  const char unit = text.back();
  const std::int64_t scale = unit == 's'   ? 1000
                             : unit == 'm' ? kMinuteMs
                             : unit == 'h' ? 3'600'000
                                           : 0;
  const auto n = number_of(text.substr(0, text.size() - 1), 1, 86'400);
  if (!n || scale == 0 || *n * scale > kDayMs) return std::nullopt;
  return *n * scale;
}

Scheduler::Scheduler(std::vector<ScheduleEntry> entries, const LocalTime& now, Steady steady)
    : entries_(std::move(entries)),
      states_(entries_.size()),
      last_civil_(civil_ms(now)),
      last_steady_(steady) {
  for (size_t i = 0; i < entries_.size(); ++i) {
    states_[i].next_civil = after(entries_[i].when, last_civil_);
    states_[i].next_steady = steady + Steady(entries_[i].when.every_ms);
  }
}

std::optional<std::int64_t> Scheduler::after(const ScheduleWhen& when, std::int64_t civil) const {
  const std::int64_t at_day = std::int64_t{when.minute_of_day} * kMinuteMs;
  switch (when.kind) {
    case ScheduleWhen::Kind::every:
      return std::nullopt;
    case ScheduleWhen::Kind::once: {
      const std::int64_t t =
          civil_ms(LocalTime{when.year, when.month, when.day, 0, 0, 0, 0}) + at_day;
      return t > civil ? std::optional(t) : std::nullopt;
    }
    case ScheduleWhen::Kind::weekly:
      break;
  }
  const std::int64_t today = (civil >= 0 ? civil : civil - kDayMs + 1) / kDayMs * kDayMs;
  for (int d = 0; d <= 7; ++d) {
    const std::int64_t t = today + d * kDayMs + at_day;
    if (t > civil && when.weekdays[static_cast<size_t>(weekday_of(civil_time(t)))]) return t;
  }
  return std::nullopt;
}

std::vector<Scheduler::Due> Scheduler::look(const LocalTime& now, Steady steady) {
  const std::int64_t civil = civil_ms(now);
  const std::int64_t span = std::max<std::int64_t>(0, (steady - last_steady_).count());
  const std::int64_t jump = civil - last_civil_ - span;  // how far the clock moved on its own
  if (last_civil_ - civil > kLongestSeasonalStepMs) {    // the clock was corrected
    for (size_t i = 0; i < entries_.size(); ++i)
      states_[i].next_civil = after(entries_[i].when, civil);
  }
  std::vector<Due> due;
  for (size_t i = 0; i < entries_.size(); ++i) {
    State& state = states_[i];
    const std::int64_t limit = entries_[i].late_ms;
    if (entries_[i].when.kind == ScheduleWhen::Kind::every) {
      const std::int64_t period = entries_[i].when.every_ms;
      if (state.next_steady > steady) continue;
      const std::int64_t late = (steady - state.next_steady).count();
      due.push_back({i, late, late > limit});
      state.next_steady += Steady(period * (late / period + 1));  // runs slept through are one
      continue;
    }
    // Of the runs that fell due since the last look, the latest stands for
    // them all (a computer that stood still for days takes one, not many).
    std::optional<Due> latest;
    while (state.next_civil && *state.next_civil <= civil) {
      std::int64_t late = civil - *state.next_civil;
      // A run inside the time this look covers is on time when the clock
      // jumped over it (by as much as a change of season at most).
      if (*state.next_civil > last_civil_ && jump <= kLongestSeasonalStepMs)
        late = std::min(late, span);
      latest = Due{i, late, late > limit};
      state.next_civil = after(entries_[i].when, *state.next_civil);
    }
    if (latest) due.push_back(*latest);
  }
  last_civil_ = civil;
  last_steady_ = steady;
  return due;
}

std::optional<LocalTime> Scheduler::next_run(size_t entry) const {
  const State& state = states_[entry];
  if (entries_[entry].when.kind == ScheduleWhen::Kind::every)
    return civil_time(last_civil_ + (state.next_steady - last_steady_).count());
  if (!state.next_civil) return std::nullopt;
  return civil_time(*state.next_civil);
}

}  // namespace orv::gateway
