// orvellan-gateway: its configuration, its polling, and the gateway itself
// against simulated units, with clients on a unit's raw port.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "gateway/backups.h"
#include "gateway/config.h"
#include "gateway/labels.h"
#include "gateway/poller.h"
#include "gateway/schedule.h"
#include "gateway/videohub.h"
#include "sim_process.h"

namespace orv::gateway {
namespace {

using std::chrono::milliseconds;

std::optional<GatewayConfig> parsed(const std::string& text, ConfigError& error) {
  return parse_gateway_config(text, error);
}

TEST(GatewayConfig, ASoundFileNamesEveryWayToAUnit) {
  ConfigError error;
  const auto config = parsed(
      "\xEF\xBB\xBF[gateway]\n"
      "clients = 192.168.1.20, 192.168.1.21   ; who may use other addresses\n"
      "server = 127.0.0.1:10001\n"
      "[port /dev/ttyUSB0]\nbaud = 19200\n"
      "[unit a]\nname = Studio A\nserial = /dev/ttyUSB0\nline = rs485\naddress = 05\n"
      "model = tarquine\nraw = 10101\n"
      "[unit b]\nserial = /dev/ttyUSB0\nline = rs485\naddress = 06\n"
      "[unit c]\ntcp = 127.0.0.1:4001\nraw = 0.0.0.0:10103\n"
      "[unit d]\nconverter = 127.0.1.7\n",
      error);
  ASSERT_TRUE(config) << error.text();
  ASSERT_EQ(config->units.size(), 4u);
  EXPECT_EQ(config->units[0].name, "Studio A");
  EXPECT_EQ(config->units[0].address, 5);
  EXPECT_EQ(config->units[0].raw, (Endpoint{"127.0.0.1", 10101}));
  EXPECT_EQ(config->units[1].name, "b");
  EXPECT_EQ(config->port("/dev/ttyUSB0").baud, 19200);
  EXPECT_EQ(config->units[2].converter_at.text(), "127.0.0.1:4001");
  EXPECT_EQ(config->units[3].way, UnitConfig::Way::converter);
  // A non-loopback port takes only the listed clients.
  EXPECT_TRUE(config->admits(*config->units[0].raw, "10.0.0.9"));
  EXPECT_FALSE(config->admits(*config->units[2].raw, "10.0.0.9"));
  EXPECT_TRUE(config->admits(*config->units[2].raw, "192.168.1.21"));
}

// A bad file is refused with its line and the reason, whatever is wrong.
TEST(GatewayConfig, ABadFileIsRefusedWithItsLineAndReason) {
  const std::vector<std::tuple<std::string, int, std::string>> cases{
      {"[unit a]\nserial = COM3\nspeed = 9600\n", 3, "takes no key \"speed\""},
      {"[unit a]\nserial = COM3\n[unit a]\ntcp = 1.2.3.4:5\n", 3, "another unit has this id"},
      {"[unit a]\nserial = COM3\nline = rs485\n", 1, "RS-485 needs an address"},
      {"[unit a]\nserial = COM3\n[unit b]\nserial = COM3\n", 3, "not both"},
      {"[unit a]\nconverter = 127.0.1.7\n", 1, "needs [gateway] server"},
      {"[unit a]\ntcp = 1.2.3.4:5\nraw = 900\n[unit b]\ntcp = 1.2.3.4:6\nraw = 900\n", 4,
       "port 900 is taken"},
      {"[unit a]\nserial = COM3\nline = rs485\naddress = 32\n", 4, "00 to 31"},
      {"[unit a]\ntcp = localhost:80\n", 2, "tcp needs ADDRESS:PORT"},
      {"serial = COM3\n", 1, "a key before any [section]"},
      {"[gateway]\n", 0, "serves nobody"},
      {"[gateway]\nhttp = 0.0.0.0:8080\n[unit a]\nserial = COM3\n", 0, "needs a token"},
      {"[gateway]\ntoken = short\n", 2, "at least 16 characters"},
      {"[unit a]\ntcp = 1.2.3.4:5\nraw = 900\nvideohub = 900\n", 1, "port 900 is taken"},
      {"[unit a]\ntcp = 1.2.3.4:5\n[schedule s]\nwhen = daily 08:00\n", 3, "it needs do"},
      {"[unit a]\ntcp = 1.2.3.4:5\n[schedule s]\nwhen = daily 08:00\ndo = backup\n", 3,
       "unit a has no backups folder"},
      {"[unit a]\ntcp = 1.2.3.4:5\n[schedule s]\nwhen = daily 8:00\n", 4, "when needs"},
      {"[unit a]\ntcp = 1.2.3.4:5\n[schedule s]\nwhen = every 5m\ndo = compare\nunits = b\n", 3,
       "no unit \"b\""},
      {"[gateway]\nwebhook = https://127.0.0.1/hook\n", 2, "webhook needs http://"},
  };
  for (const auto& [text, line, reason] : cases) {
    ConfigError error;
    EXPECT_FALSE(parsed(text, error)) << text;
    EXPECT_EQ(error.line, line) << text;
    EXPECT_NE(error.reason.find(reason), std::string::npos) << error.reason;
  }
}

// A client's label as the title the unit takes, and a title as the label
// clients see: half-width letters, digits and blanks go full-width, an
// external character is U+E000 + its registration - 1, trailing blanks go.
TEST(Labels, LabelsAndTitlesGoBothWays) {
  EXPECT_EQ(title_of_label("Cam 2").sjis, sjis_from_utf8("Ｃａｍ　２"));
  EXPECT_EQ(title_of_label("\uE001").sjis, std::string("\xF0\x41"));
  EXPECT_EQ(label_of_title("\xF0\x40" + *sjis_from_utf8("カメラ　") + "  "), "\uE000カメラ");
  EXPECT_EQ(title_of_label("caméra").refused, "the character \"é\" cannot be sent");
  EXPECT_EQ(title_of_label(std::string(29, 'A')).refused, "longer than 28 characters");
  EXPECT_TRUE(title_of_label(std::string(28, 'A')).sjis);
  EXPECT_FALSE(title_of_label("\xE3\x81").sjis) << "not UTF-8";
}

// A client's blocks, whatever way its bytes arrive; a line or a block past
// its bound refuses the client rather than grow.
TEST(VideohubReader, BlocksAreTakenWholeAndBounded) {
  VideohubReader reader;
  EXPECT_TRUE(reader.feed("PING:\n").empty());
  const auto blocks = reader.feed("\r\n\nVIDEO OUTPUT ROUTING:\r\n4 9\n5 1\n\n");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].header, "PING");
  EXPECT_TRUE(blocks[0].lines.empty());
  EXPECT_EQ(blocks[1].lines, (std::vector<std::string>{"4 9", "5 1"}));
  VideohubReader endless;
  endless.feed("INPUT LABELS:\n" + std::string(VideohubReader::kLongestLine + 1, 'x'));
  EXPECT_TRUE(endless.refused());
  VideohubReader long_block;
  std::string lines = "INPUT LABELS:\n";
  for (size_t i = 0; i <= VideohubReader::kMostLines; ++i) lines += "1 x\n";
  long_block.feed(lines);
  EXPECT_TRUE(long_block.refused());
}

// Polls as the status window asks, the pattern in force first and between
// turns; a converter's unit a read every 450 ms from one read's going out
// to the next's; a unit offline after three misses in a row and online
// again at its first answer, read again from the start.
TEST(Schedule, WhenWhatAndHowLateAreReadOrRefused) {
  std::string reason;
  const auto weekend = parse_schedule_when("fri-mon 08:30", reason);
  ASSERT_TRUE(weekend);
  EXPECT_EQ(weekend->weekdays, (std::array<bool, 7>{true, true, false, false, false, true, true}));
  EXPECT_EQ(weekend->minute_of_day, 8 * 60 + 30);
  EXPECT_EQ(parse_schedule_when("every 2h", reason)->every_ms, 7'200'000);
  for (const char* bad : {"2026-02-30 10:00", "mon-fri 24:00", "every 0m", "funday 08:00", ""})
    EXPECT_FALSE(parse_schedule_when(bad, reason)) << bad;
  EXPECT_EQ(parse_schedule_action("pattern free", reason)->pattern, kFreeLayout);
  EXPECT_FALSE(parse_schedule_action("pattern 65", reason));
  EXPECT_EQ(parse_late("2m"), 120'000);
  EXPECT_FALSE(parse_late("2d"));
}

// Backups and the approved file are compared as configuration: the pattern
// in force is live routing, the free layout is never read back, and the
// password never shows.
TEST(Backups, ComparisonsLeaveOutLiveRoutingAndMaskThePassword) {
  DeviceSettings approved = settings_for_model(kModelOrvellan);
  DeviceSettings unit = approved;
  unit.currentScreenPattern = 5;
  unit.screenPatterns[kFreeLayout][0] = 9;
  EXPECT_TRUE(configuration_differences(approved, unit).empty());
  set_buffer_text(unit.password, "123456");
  unit.dateTimeRange = 7;
  std::vector<std::string> lines;
  for (const SettingDifference& d : configuration_differences(approved, unit))
    lines.push_back(difference_line(d));
  EXPECT_EQ(lines, (std::vector<std::string>{"dateTimeRange: 0 | 7", "password: ****** | ******"}));
}

// A scheduler driven by a local clock and a steady clock of the test's own.
struct DrivenScheduler {
  Scheduler scheduler;
  std::int64_t steady = 0;
  DrivenScheduler(std::vector<ScheduleEntry> entries, const LocalTime& start)
      : scheduler(std::move(entries), start, milliseconds(0)) {}
  // The local time becomes `now` after `ms` of steady time: the runs due.
  std::vector<Scheduler::Due> at(const LocalTime& now, std::int64_t ms = 1000) {
    steady += ms;
    return scheduler.look(now, milliseconds(steady));
  }
};

ScheduleEntry daily(const char* time, std::int64_t late_ms = 120'000) {
  std::string reason;
  ScheduleEntry entry;
  entry.when = *parse_schedule_when(std::string("daily ") + time, reason);
  entry.late_ms = late_ms;
  return entry;
}

TEST(Schedule, EachRunIsTakenOnceWhateverTheComputersClockDoes) {
  const auto t = [](int day, int hour, int minute, int second) {
    return LocalTime{2026, 10, day, hour, minute, second, 0};
  };
  DrivenScheduler s({daily("01:30"), daily("02:30")}, t(25, 1, 29, 58));
  EXPECT_TRUE(s.at(t(25, 1, 29, 59)).empty());
  const auto on_time = s.at(t(25, 1, 30, 0));
  ASSERT_EQ(on_time.size(), 1u);
  EXPECT_EQ(on_time[0].entry, 0u);
  EXPECT_FALSE(on_time[0].missed);
  // The end of summer time: 01:59:59 is followed by 01:00:00, and 01:30 comes again.
  EXPECT_TRUE(s.at(t(25, 1, 59, 59), 1'799'000).empty());
  for (int minute = 0; minute < 60; minute += 10)
    EXPECT_TRUE(s.at(t(25, 1, minute, 0), minute == 0 ? 1000 : 600'000).empty()) << minute;
  // 02:30 is taken once, on time.
  EXPECT_EQ(s.at(t(25, 2, 30, 0), 1'800'000).size(), 1u);

  // The start of summer time: 02:00 becomes 03:00, and 02:30 is jumped over:
  // taken at the jump, on time.
  EXPECT_EQ(s.at(t(26, 1, 59, 59), 84'000'000).size(), 1u) << "01:30";
  const auto jumped = s.at(t(26, 3, 0, 0));
  ASSERT_EQ(jumped.size(), 1u);
  EXPECT_EQ(jumped[0].entry, 1u);
  EXPECT_FALSE(jumped[0].missed);
  // The computer stood still over 01:30 for ten minutes: too late, missed.
  const auto stood = s.at(t(27, 1, 40, 0), 81'600'000);
  ASSERT_EQ(stood.size(), 1u);
  EXPECT_TRUE(stood[0].missed);
  // A clock corrected a day back is a new time: 02:30 of the 26th comes again.
  EXPECT_EQ(s.at(t(26, 2, 29, 59), 60'000).size(), 0u);
  EXPECT_EQ(s.at(t(26, 2, 30, 0)).size(), 1u);
  EXPECT_EQ(s.scheduler.next_run(1)->day, 27);
  // A night asleep (the steady clock stood still, the calendar moved on by
  // hours): the runs passed over are late, one each, however many days.
  const auto woke = s.at(LocalTime{2026, 10, 29, 9, 0, 0, 0});
  ASSERT_EQ(woke.size(), 2u);
  EXPECT_TRUE(woke[0].missed && woke[1].missed);
}

TEST(Poller, AConvertersUnitGoesOfflineAndComesBack) {
  Poller poller(1, false);
  std::vector<std::pair<Instant, Read>> reads;
  Instant now{0};
  for (; now < Instant{6000}; now += milliseconds(10)) {
    const auto poll = poller.next(now);
    if (!poll) continue;
    reads.emplace_back(now, poll->read);
    EXPECT_FALSE(poller.next(now)) << "one at a time";
    EXPECT_EQ(poller.polled(true, now),
              reads.size() == 1 ? Poller::Change::online : Poller::Change::none);
  }
  ASSERT_GT(reads.size(), 12u);
  EXPECT_EQ(reads[0].second, Read::pattern_in_force);
  std::map<Read, Instant> last;
  for (const auto& [at, read] : reads) {
    if (last.contains(read) && read != Read::pattern_in_force) {
      EXPECT_LE(at - last[read], milliseconds(1000)) << "each read at least once a second";
    }
    last[read] = at;
  }
  EXPECT_EQ(std::count_if(reads.begin(), reads.end(),
                          [](const auto& r) { return r.second == Read::pattern_in_force; }),
            2)
      << "first, and after ten reads";
  const auto next_poll = [&] {  // the next poll, within a second
    for (const Instant until = now + milliseconds(1000); now < until; now += milliseconds(10))
      if (const auto poll = poller.next(now)) return poll;
    return std::optional<Poll>{};
  };
  for (int miss = 1; miss <= 3; ++miss) {
    ASSERT_TRUE(next_poll());
    EXPECT_EQ(poller.polled(false, now),
              miss == 3 ? Poller::Change::offline : Poller::Change::none);
  }
  ASSERT_TRUE(next_poll());
  EXPECT_EQ(poller.polled(true, now), Poller::Change::online)
      << "a condition line is an answer too";
  const auto again = next_poll();
  ASSERT_TRUE(again);
  EXPECT_EQ(again->read, Read::pattern_in_force) << "read again from the start";
}

// On a bus, each unit's two reads in turn; a silent address is passed over
// for more and more rounds, so that the others are not stalled.
TEST(Poller, ABusGoesRoundItsUnitsAndBacksOffASilentOne) {
  Poller poller(3, true);
  std::vector<size_t> asked;
  for (int i = 0; i < 40; ++i) {
    const auto poll = poller.next(Instant{i});
    ASSERT_TRUE(poll);
    asked.push_back(poll->unit);
    poller.polled(poll->unit != 1, Instant{i});
  }
  EXPECT_EQ(std::vector<size_t>(asked.begin(), asked.begin() + 5),
            (std::vector<size_t>{0, 0, 0, 1, 2}))
      << "the pattern in force and two reads; the silent one's first miss moves on";
  EXPECT_LE(std::count(asked.begin(), asked.end(), size_t{1}), 5) << "backed off";
  EXPECT_FALSE(poller.online(1));
  EXPECT_TRUE(poller.online(0) && poller.online(2));
}

// The gateway against a bus of simulated units on a pseudo-terminal and a
// converter: clients of one unit's raw port each get their own replies, at
// the same time as the polls; an address nobody has goes offline.
class GatewayWithUnits : public sim_process::SimProcess {
 protected:
  void TearDown() override {
    if (gateway > 0) {
      ::kill(gateway, SIGINT);
      ::waitpid(gateway, nullptr, 0);
    }
    sim_process::SimProcess::TearDown();
    std::filesystem::remove(ini);
    std::filesystem::remove(log);
  }
  void start_gateway(const std::string& config) {
    std::ofstream(ini) << config;
    gateway = ::fork();
    if (gateway == 0) {
      const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, 2);
      ::execl(ORV_GATEWAY_PATH, ORV_GATEWAY_PATH, ini.c_str(), nullptr);
      ::_exit(127);
    }
  }
  std::string log_text() {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool log_shows(const std::string& text, int timeout_ms) {
    const auto end = sim_process::Clock::now() + milliseconds(timeout_ms);
    while (sim_process::Clock::now() < end) {
      if (log_text().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(milliseconds(50));
    }
    return false;
  }
  std::filesystem::path ini = std::filesystem::temp_directory_path() /
                              ("orv-gateway-" + std::to_string(::getpid()) + ".ini");
  std::filesystem::path log = std::filesystem::temp_directory_path() /
                              ("orv-gateway-" + std::to_string(::getpid()) + ".log");
  pid_t gateway = -1;
};

TEST_F(GatewayWithUnits, RawClientsShareAUnitAndEachGetsItsOwnReplies) {
  start({"--line", "rs485", "--units", "2", "--reply-address"});
  ASSERT_TRUE(wait_ready());
  const int raw = sim_process::free_port();
  start_gateway("[unit a]\nserial = " + pty.string() + "\nline = rs485\naddress = 01\nraw = " +
                std::to_string(raw) + "\n[unit b]\nserial = " + pty.string() +
                "\nline = rs485\naddress = 00\n"
                "[unit silent]\nserial = " +
                pty.string() + "\nline = rs485\naddress = 07\n");
  ASSERT_TRUE(log_shows("unit a: online", 5000)) << log_text();
  // Two clients at once, each with its own command, many times over.
  std::vector<std::string> answers(2);
  std::vector<std::thread> clients;
  for (int c = 0; c < 2; ++c) {
    clients.emplace_back([&, c] {
      const int fd = sim_process::loopback_socket(raw);
      const std::string command = c == 0 ? "RCT05\r\n" : "RCTI\r\n";
      for (int n = 0; n < 20; ++n) {
        if (::write(fd, command.data(), command.size()) < 0) break;
        answers[c] += sim_process::read_line(fd);
      }
      ::close(fd);
    });
  }
  for (std::thread& client : clients) client.join();
  for (int c = 0; c < 2; ++c) {
    size_t lines = 0;
    for (size_t at = 0; (at = answers[c].find('\n', at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, 20u) << c;
    const std::string own = c == 0 ? "CT05" : "CTI";
    for (size_t at = 0; at < answers[c].size(); at = answers[c].find('\n', at) + 1)
      ASSERT_EQ(answers[c].compare(at, own.size(), own), 0) << c << ": " << answers[c];
  }
  EXPECT_NE(control_command("log 01").find("01RCT05"), std::string::npos) << "its address added";
  EXPECT_TRUE(log_shows("unit silent: offline", 15000)) << log_text();
  EXPECT_TRUE(log_shows("unit b: online", 1000)) << "the others are not stalled";
}

// Two Videohub clients of one unit: a block of routes goes to the unit as
// one free layout, read fresh and written back with nothing between, and
// both clients see it; a lock holds the other client off until its holder
// goes; a change made at the unit reaches them without being asked.
TEST_F(GatewayWithUnits, VideohubClientsRouteTogetherAndFollowTheUnit) {
  start({});
  ASSERT_TRUE(wait_ready());
  const int videohub = sim_process::free_port();
  start_gateway("[unit a]\nname = Studio A\nserial = " + pty.string() +
                "\nvideohub = " + std::to_string(videohub) + "\noutput_labels = PGM, , AUX\n");
  ASSERT_TRUE(log_shows("unit a: online", 5000)) << log_text();
  const auto until = [](const std::string& end) {
    return [end](const std::string& t) { return t.find(end) != std::string::npos; };
  };
  int first = sim_process::loopback_socket(videohub);
  const int second = sim_process::loopback_socket(videohub);
  const std::string dump = sim_process::read_until(first, until("END PRELUDE:\n\n"));
  sim_process::read_until(second, until("END PRELUDE:\n\n"));
  EXPECT_NE(dump.find("Device present: true\nModel name: ORVELLAN\nFriendly name: Studio A\n"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("OUTPUT LABELS:\n0 PGM\n1 OUT 02\n2 AUX\n3 OUT 04\n"), std::string::npos);
  const auto send = [](int fd, const std::string& text) {
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  };

  control_command("log clear");
  send(first, "VIDEO OUTPUT ROUTING:\n2 6\n3 7\n\n");
  EXPECT_EQ(sim_process::read_line(first).substr(0, 4), "ACK\n");
  const std::string seen = sim_process::read_until(second, [](const std::string& t) {
    return t.find("2 6\n") != std::string::npos && t.find("3 7\n") != std::string::npos;
  });
  EXPECT_NE(seen.find("3 7\n"), std::string::npos) << seen;
  std::vector<std::string> commands;  // what the unit received, in order
  const std::string log = control_command("log");
  for (size_t at = 0; (at = log.find(" 00 ", at)) != std::string::npos; at += 4)
    commands.push_back(log.substr(at + 4, log.find("\\r", at) - at - 4));
  const auto layout = std::find_if(commands.begin(), commands.end(),
                                   [](const std::string& c) { return c.rfind("OSI", 0) == 0; });
  ASSERT_NE(layout, commands.end()) << log;
  EXPECT_EQ(layout->substr(2 + 3 * 2, 6), "I07I08") << "both routes in one free layout";
  EXPECT_EQ(*(layout - 1), "ROS") << "read fresh just before";
  EXPECT_EQ(std::count_if(commands.begin(), commands.end(),
                          [](const std::string& c) { return c.rfind("OS", 0) == 0; }),
            1);

  send(first, "VIDEO OUTPUT LOCKS:\n5 O\n\n");
  EXPECT_NE(sim_process::read_until(second, until("5 L\n")).find("5 L\n"), std::string::npos);
  send(second, "VIDEO OUTPUT ROUTING:\n5 1\n\n");
  EXPECT_EQ(sim_process::read_line(second).substr(0, 4), "NAK\n") << "locked by the other client";
  ::close(first);
  EXPECT_NE(sim_process::read_until(second, until("5 U\n")).find("5 U\n"), std::string::npos)
      << "a lock goes with its client";

  control_command("output 00 10 I12");
  const auto changed = sim_process::read_until(second, until("9 11\n"), 1500);
  EXPECT_NE(changed.find("9 11\n"), std::string::npos) << "a change at the unit, within 1.5 s";
  ::close(second);
}

}  // namespace
}  // namespace orv::gateway
