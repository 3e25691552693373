// orvellan-gateway: its configuration, its polling, and the gateway itself
// against simulated units, with clients on a unit's raw port.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "gateway/config.h"
#include "gateway/poller.h"
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
  };
  for (const auto& [text, line, reason] : cases) {
    ConfigError error;
    EXPECT_FALSE(parsed(text, error)) << text;
    EXPECT_EQ(error.line, line) << text;
    EXPECT_NE(error.reason.find(reason), std::string::npos) << error.reason;
  }
}

// Polls as the status window asks, the pattern in force first and between
// turns; a converter's unit a read every 450 ms from one read's going out
// to the next's; a unit offline after three misses in a row and online
// again at its first answer, read again from the start.
TEST(Poller, AConvertersUnitGoesOfflineAndComesBack) {
  Poller poller(1, false);
  std::vector<std::pair<Instant, Read>> reads;
  Instant now{0};
  for (; now < Instant{6000}; now += milliseconds(10)) {
    const auto poll = poller.next(now);
    if (!poll) continue;
    reads.emplace_back(now, poll->read);
    EXPECT_FALSE(poller.next(now)) << "one at a time";
    EXPECT_EQ(poller.polled(true, now), reads.size() == 1 ? Poller::Change::online
                                                          : Poller::Change::none);
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
    EXPECT_EQ(poller.polled(false, now), miss == 3 ? Poller::Change::offline : Poller::Change::none);
  }
  ASSERT_TRUE(next_poll());
  EXPECT_EQ(poller.polled(true, now), Poller::Change::online) << "a condition line is an answer too";
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
  std::filesystem::path ini =
      std::filesystem::temp_directory_path() / ("orv-gateway-" + std::to_string(::getpid()) + ".ini");
  std::filesystem::path log =
      std::filesystem::temp_directory_path() / ("orv-gateway-" + std::to_string(::getpid()) + ".log");
  pid_t gateway = -1;
};

TEST_F(GatewayWithUnits, RawClientsShareAUnitAndEachGetsItsOwnReplies) {
  start({"--line", "rs485", "--units", "2", "--reply-address"});
  ASSERT_TRUE(wait_ready());
  const int raw = sim_process::free_port();
  start_gateway("[unit a]\nserial = " + pty.string() + "\nline = rs485\naddress = 01\nraw = " +
                std::to_string(raw) +
                "\n[unit b]\nserial = " + pty.string() + "\nline = rs485\naddress = 00\n"
                "[unit silent]\nserial = " + pty.string() + "\nline = rs485\naddress = 07\n");
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

}  // namespace
}  // namespace orv::gateway
