// The command-line tool, run as an operator would run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "io/ports.h"
#include "random_settings.h"
#include "settings_file/settings_diff.h"
#include "settings_file/settings_file.h"
#include "sim_process.h"
#include "test_support.h"

namespace orv {
namespace {

using test::crlf_lines;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

CliRun run_cli(const std::string& arguments) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto err_path = dir / ("orv-cli-err-" + std::to_string(::getpid()));
  // Every run has a deadline: a tool that would hang fails the test instead.
  const std::string command =
      "timeout 60 " + std::string(ORV_CLI_PATH) + " " + arguments + " 2>" + err_path.string();
  CliRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::string error;
  (void)read_whole_file(FilePath(err_path.string()), run.err, error);
  std::filesystem::remove(err_path);
  return run;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    file =
        std::filesystem::temp_directory_path() / ("orv-cli-" + std::to_string(::getpid()) + ".dat");
    std::string error;
    ASSERT_TRUE(save_settings_file(FilePath(file.string()), DeviceSettings{}, error)) << error;
  }
  void TearDown() override { std::filesystem::remove(file); }
  std::filesystem::path file;
};

TEST_F(Cli, CommandsOfSetAllAndReadAllByModel) {
  const CliRun orvellan = run_cli("commands set-all " + file.string() + " --model orvellan");
  ASSERT_EQ(orvellan.status, 0) << orvellan.err;
  const auto lines = crlf_lines(orvellan.out);
  ASSERT_EQ(lines.size(), 176u);
  EXPECT_EQ(lines[0], "OP01");
  EXPECT_EQ(lines[1].size(), 98u);
  EXPECT_EQ(lines[175].substr(0, 2), "OE");
  const CliRun tarquine = run_cli("commands read-all --model tarquine");
  ASSERT_EQ(tarquine.status, 0);
  ASSERT_EQ(crlf_lines(tarquine.out).size(), 207u);
  EXPECT_EQ(crlf_lines(tarquine.out)[196], "RCT64");
  EXPECT_EQ(crlf_lines(tarquine.out)[206], "ROE");
}

TEST_F(Cli, SetAllStopsAtATitleThatCannotBeSent) {
  DeviceSettings s;
  set_title(s.titles[2],
            "\x82\xa0"
            "AB");
  std::string error;
  ASSERT_TRUE(save_settings_file(FilePath(file.string()), s, error));
  const CliRun run = run_cli("commands set-all " + file.string());
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("step 137 (title ch.03)"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "") << "refused before the first line";
}

// A value the unit does not take is damage too, as is a file whose set-all
// could not be sent whole; entries that show TARQUINE's inputs are refused
// when the file is read as ORVELLAN, unless folding is asked for.
TEST_F(Cli, CheckTellsWholeFromDamaged) {
  DeviceSettings wide = settings_for_model(kModelTarquine);
  wide.screenPatterns[0][0] = 49;  // input 50
  std::string error;
  ASSERT_TRUE(save_settings_file(FilePath(file.string()), wide, error));
  const CliRun folded = run_cli("check " + file.string());
  EXPECT_EQ(folded.status, 2);
  EXPECT_NE(folded.err.find(": 1 screen pattern entries show inputs 33 to 64"), std::string::npos)
      << folded.err;
  EXPECT_EQ(run_cli("check " + file.string() + " --fold").status, 0);
  EXPECT_EQ(run_cli("check " + file.string() + " --model tarquine").err, "");
  std::string text = format_settings_file(wide);
  text.replace(text.find("\r\n") + 2, 2, "999");  // line 2: pattern 01, output 01
  std::ofstream(file, std::ios::trunc | std::ios::binary) << text;
  const CliRun outside = run_cli("check " + file.string());
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("line 2: 999 is not a value the unit takes"), std::string::npos)
      << outside.err;
  std::ofstream(file, std::ios::trunc) << "0\r\n1\r\nx\r\n";
  const CliRun damaged = run_cli("check " + file.string());
  EXPECT_NE(damaged.status, 0);
  EXPECT_NE(damaged.err.find("line 3"), std::string::npos) << damaged.err;
  const CliRun missing = run_cli("check /nonexistent/x.dat");
  EXPECT_NE(missing.status, 0);
  EXPECT_FALSE(missing.err.empty());
  const CliRun endless = run_cli("check /dev/zero");
  EXPECT_EQ(endless.status, 2);
  EXPECT_NE(endless.err.find("/dev/zero is larger than 1024 KB"), std::string::npos) << endless.err;

  DeviceSettings letters;
  set_buffer_text(letters.password, "12ab");
  ASSERT_TRUE(save_settings_file(FilePath(file.string()), letters, error));
  const CliRun password = run_cli("check " + file.string());
  EXPECT_EQ(password.status, 2);
  EXPECT_NE(password.err.find("step 175 (password) cannot be sent"), std::string::npos)
      << password.err;
  EXPECT_EQ(password.err.find("12ab"), std::string::npos) << password.err;
}

// A peer that never stops sending (a byte every 10 ms) cannot hold a run
// for ever: the wait for a quiet line has a limit, and what it sends then
// answers nothing.
TEST_F(Cli, ANoisyPeerEndsTheRunInsteadOfStallingIt) {
  const int listen_port = sim_process::free_port();
  const int listener = sim_process::loopback_socket(listen_port, true);
  ASSERT_GE(listener, 0);
  std::atomic<bool> stop{false};
  std::thread noise([&] {
    pollfd waiting{listener, POLLIN, 0};
    while (!stop && ::poll(&waiting, 1, 50) == 0) {
    }
    const int peer = stop ? -1 : ::accept(listener, nullptr, nullptr);
    while (peer >= 0 && !stop && ::send(peer, "x", 1, MSG_NOSIGNAL) == 1)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (peer >= 0) ::close(peer);
  });
  const auto started = std::chrono::steady_clock::now();
  const CliRun run = run_cli("read-all --tcp 127.0.0.1:" + std::to_string(listen_port) +
                             " --timeout 500 --retries 0 -o " + file.string() + ".noise");
  const auto took = std::chrono::steady_clock::now() - started;
  stop = true;
  noise.join();
  ::close(listener);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_LT(took, std::chrono::seconds(5));
}

TEST_F(Cli, HelpAndBadArguments) {
  const CliRun help = run_cli("commands set-all --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("set-all"), std::string::npos);
  EXPECT_EQ(run_cli("check --help").status, 0);
  const CliRun bad_model = run_cli("commands read-all --model other");
  EXPECT_NE(bad_model.status, 0);
  EXPECT_NE(bad_model.err.find("unknown model"), std::string::npos);
  EXPECT_NE(run_cli("frobnicate").status, 0);
}

TEST_F(Cli, DiffNamesExactlyTheChangedSettings) {
  const CliRun same = run_cli("diff " + file.string() + " " + file.string());
  EXPECT_EQ(same.out + std::to_string(same.status), "0");
  DeviceSettings changed;
  changed.titleDisplayInput[4] = 0;
  changed.screenPatterns[kFreeLayout][31] = 7;
  set_title(changed.titles[0], "\x82\xa0");
  set_buffer_text(changed.password, "654321");
  const auto other = file.string() + ".other";
  std::string error;
  ASSERT_TRUE(save_settings_file(FilePath(other), changed, error));
  const CliRun run = run_cli("diff " + file.string() + " " + other);
  std::filesystem::remove(other);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "screenPatterns FREE ch.32: 31 | 7\n"
            "titles ch.01: \"お買い上げいただきありがとうございます。\" | \"あ\"\n"
            "titleDisplayInput ch.05: 1 | 0\n"
            "password: the passwords differ\n");
}

// A unit answers a title only as far as its font size shows it, and nothing
// reads the free layout back: neither may count as a difference after a
// set-all, while a real change in either part still does.
TEST(SettingsDifferences, WhatAUnitGivesBackLeavesOutWhatNoReadCarries) {
  DeviceSettings sent;
  sent.fontSize[3] = 0;  // LARGE: 14 characters come back
  set_title(sent.titles[3], test::repeat("\x82\xa0", 20));
  DeviceSettings back = sent;
  set_title(back.titles[3], test::repeat("\x82\xa0", 14));
  back.screenPatterns[kFreeLayout][0] = 9;
  EXPECT_TRUE(settings_differences(sent, back, Compared::what_a_unit_gives_back).empty());
  EXPECT_EQ(settings_differences(sent, back, Compared::whole_file).size(), 2u);
  set_title(back.titles[3], test::repeat("\x82\xa0", 13));
  // An IBM-extension kanji comes back as its NEC-selected twin: the same.
  set_title(sent.titles[5], test::sjis({0xFA, 0x5C, 0xFB, 0x40}));
  set_title(back.titles[5], test::sjis({0xED, 0x40, 0xED, 0xE1}));
  const auto shorter = settings_differences(sent, back, Compared::what_a_unit_gives_back);
  ASSERT_EQ(shorter.size(), 1u);
  EXPECT_EQ(shorter[0].name, "titles ch.04");
  EXPECT_TRUE(settings_differences(back, sent, Compared::whole_file).size() == 2u)
      << "diff too: only the free layout and ch.04";
}

// The tool against simulated units on a pseudo-terminal and over TCP/IP.
class CliWithUnits : public sim_process::SimProcess {
 protected:
  std::string port() const { return " --port " + pty.string(); }
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("orv-cli-units-" + std::to_string(::getpid()));
  void SetUp() override { std::filesystem::create_directories(folder); }
  void TearDown() override {
    sim_process::SimProcess::TearDown();
    std::filesystem::remove_all(folder);
  }
};

TEST_F(CliWithUnits, SetAllWithVerifyChangesOnlyTheAddressedUnit) {
  start({"--line", "rs485", "--units", "8", "--reply-address"});
  ASSERT_TRUE(wait_ready());
  const auto read_unit_06 = [&](const std::string& name) {
    return run_cli("read-all" + port() + " --line rs485 --address 06 -o " +
                   (folder / name).string());
  };
  ASSERT_EQ(read_unit_06("before.dat").status, 0);
  const auto sent = folder / "sent.dat";
  std::string error;
  DeviceSettings drawn = test::random_settings(kModelOrvellan, 7);
  drawn.fontSize[2] = 0;  // ch.03 answers 14 characters: external character 005 at the second
  set_title(drawn.titles[2], test::sjis({0x82, 0x60, 0xF0, 0x44}));
  ASSERT_TRUE(save_settings_file(FilePath(sent.string()), drawn, error));
  const CliRun set =
      run_cli("set-all " + sent.string() + port() + " --line rs485 --address 07 --verify");
  EXPECT_EQ(set.status, 0) << set.err << set.out;
  EXPECT_NE(set.err.find("pseudo-terminal"), std::string::npos) << set.err;
  EXPECT_EQ(set.out, "") << "no setting differs, the external character included";
  EXPECT_EQ(control_command("get 07 RCT03").substr(3, 12), "CT032341A369");

  ASSERT_EQ(read_unit_06("after.dat").status, 0);
  const CliRun neighbour =
      run_cli("diff " + (folder / "before.dat").string() + " " + (folder / "after.dat").string());
  EXPECT_EQ(neighbour.status, 0) << neighbour.out;
  EXPECT_EQ(
      run_cli("set-all " + sent.string() + port() + " --line rs485 --address FF --verify").status,
      2)
      << "a Broadcast cannot be verified";
}

TEST_F(CliWithUnits, BackupOfABusNamesTheSilentAddresses) {
  start({"--line", "rs485", "--units", "6"});
  ASSERT_TRUE(wait_ready());
  const CliRun run = run_cli("backup" + port() +
                             " --line rs485 --addresses 00-07 --timeout 300 -d " + folder.string());
  EXPECT_EQ(run.status, 0) << run.err;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 6);
  EXPECT_NE(run.err.find("unit 06: no reply, skipped"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("unit 07: no reply, skipped"), std::string::npos) << run.err;
}

// A fleet of converters that connect to the tool: read side by side, the
// one that fails named without stopping the others, and set again from the
// files; the one without a file fails by name. A second converter from an
// address already connected (another simulator's first) is refused by
// name rather than overwrite the first one's file.
TEST_F(CliWithUnits, AFleetIsBackedUpAndRestoredInParallel) {
  const int listen = sim_process::free_port();
  start({"--connect", "127.0.0.1:" + std::to_string(listen), "--converters", "3"});
  ASSERT_TRUE(wait_ready());
  control_command("fault silence all link c2");
  const pid_t twin = ::fork();
  if (twin == 0) {
    const std::string at = "127.0.0.1:" + std::to_string(listen);
    ::execl(ORV_SIM_PATH, ORV_SIM_PATH, "--connect", at.c_str(), "--converters", "1", nullptr);
    ::_exit(127);
  }
  const std::string fleet = " --listen 127.0.0.1:" + std::to_string(listen) +
                            " --wait-s 10 --timeout 300 -d " + folder.string();
  const CliRun backup = run_cli("backup" + fleet + " --converters 4");
  ::kill(twin, SIGKILL);
  ::waitpid(twin, nullptr, 0);
  EXPECT_EQ(backup.status, 1);
  EXPECT_NE(backup.err.find("  127.0.1.2: step 1 (pattern in force): no reply within 300 ms\n"),
            std::string::npos)
      << backup.err;
  EXPECT_NE(backup.err.find("  127.0.1.1 (another connection): another converter from 127.0.1.1 "
                            "connected first"),
            std::string::npos)
      << backup.err;
  EXPECT_NE(backup.err.find("2 of 4 unit(s) read"), std::string::npos) << backup.err;
  for (const char* file : {"127.0.1.1.dat", "127.0.1.3.dat"})
    EXPECT_TRUE(std::filesystem::exists(folder / file)) << file;

  control_command("fault clear");
  control_command("log clear");
  control_command("connect all");  // they come back after the tool closed them
  const CliRun restore = run_cli("restore" + fleet + " --converters 3");
  EXPECT_EQ(restore.status, 1);
  EXPECT_NE(restore.err.find("  127.0.1.2: "), std::string::npos) << restore.err;
  EXPECT_NE(restore.err.find("2 of 3 unit(s) set"), std::string::npos) << restore.err;
  EXPECT_NE(control_command("log c3"), "OK 0\n") << "c3 was set";
}

// Every unit of a bus, put a year off, is set to the computer's clock to
// the second; the silent address is named, Broadcast is refused.
TEST_F(CliWithUnits, ClockSyncSetsEachUnitOfABusAndNamesTheSilentOne) {
  start({"--line", "rs485", "--units", "2", "--reply-address"});
  ASSERT_TRUE(wait_ready());
  {
    std::string note, error, replies;
    const auto line = io::open_serial_port(pty.string(), 9600, note, error);
    ASSERT_TRUE(line) << error;
    ASSERT_TRUE(line->send("00DSY10\r\n01DSY10\r\n"));
    for (int wait = 0; wait < 20 && std::count(replies.begin(), replies.end(), '\n') < 2; ++wait)
      ASSERT_TRUE(line->receive(replies, 100, error)) << error;
  }
  ASSERT_EQ(control_command("get 01 clock").substr(3, 4), "2010");
  const CliRun run =
      run_cli("clock-sync" + port() + " --line rs485 --addresses 00-02 --timeout 300");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("  unit 02: step 1 (second 00 first): no reply within 300 ms"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("2 of 3 unit(s) in sync"), std::string::npos) << run.err;
  for (const char* unit : {"00", "01"}) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::tm shown{};
    const std::string clock = control_command(std::string("get ") + unit + " clock");
    ASSERT_NE(strptime(clock.c_str(), "OK %Y-%m-%d %H:%M:%S", &shown), nullptr) << clock;
    shown.tm_isdst = local.tm_isdst;
    EXPECT_LE(std::abs(std::difftime(std::mktime(&shown), now)), 1.0) << clock;
  }
  EXPECT_EQ(run_cli("clock-sync" + port() + " --line rs485 --address FF").status, 2);
}

// A read starts only when its file can be written, takes no stale line on
// the port for an answer, and leaves no file when the unit fails midway.
TEST_F(CliWithUnits, AConditionMidRunFailsByNameAndLeavesNoFile) {
  const int tcp_port = sim_process::free_port();
  start({"--listen", "127.0.0.1:" + std::to_string(tcp_port)});
  ASSERT_TRUE(wait_ready());
  EXPECT_EQ(run_cli("read-all" + port() + " -o " + (folder / "gone" / "x.dat").string()).status, 2);
  // A file the unit cannot take whole is refused before its first command.
  DeviceSettings letters;
  set_buffer_text(letters.password, "12ab");
  DeviceSettings wide = settings_for_model(kModelTarquine);
  wide.screenPatterns[3][4] = 40;
  std::string error;
  for (const DeviceSettings& refused : {letters, wide}) {
    ASSERT_TRUE(save_settings_file(FilePath((folder / "refused.dat").string()), refused, error));
    EXPECT_EQ(run_cli("set-all " + (folder / "refused.dat").string() + port() + " --verify").status,
              2);
  }
  std::filesystem::remove(folder / "refused.dat");
  EXPECT_EQ(control_command("log"), "OK 0\n") << "nothing was sent";
  control_command("send serial OP05I01I02\\r\\n");  // waiting on the line before the read
  const auto over_tcp = folder / "tcp.dat";
  const CliRun tcp =
      run_cli("read-all --tcp 127.0.0.1:" + std::to_string(tcp_port) + " -o " + over_tcp.string());
  ASSERT_EQ(tcp.status, 0) << tcp.err;
  EXPECT_EQ(run_cli("read-all" + port() + " -o " + over_tcp.string()).status, 0)
      << "the stale line is not the first answer";

  // A reply lost, or late past the time-out, is asked for again, and the
  // late answer does not answer the next command.
  for (const char* fault : {"fault silence 1 after 30", "fault split 2 1300 1 after 30"}) {
    control_command(fault);
    const auto again = folder / "again.dat";
    const CliRun retried = run_cli("read-all" + port() + " --timeout 1000 -o " + again.string());
    ASSERT_EQ(retried.status, 0) << fault << retried.err;
    EXPECT_EQ(run_cli("diff " + again.string() + " " + over_tcp.string()).status, 0) << fault;
    std::filesystem::remove(again);
  }
  control_command("fault silence 1 after 30");
  EXPECT_EQ(
      run_cli("read-all" + port() + " --timeout 1000 --retries 0 -o " + (folder / "x.dat").string())
          .status,
      1);

  // A read answered "GO" (a hostile converter's line) is no answer: the run
  // fails at it, and no file is written.
  control_command("fault reply GO 1 on RCT05");
  const CliRun go = run_cli("read-all" + port() + " -o " + (folder / "go.dat").string());
  EXPECT_EQ(go.status, 1);
  EXPECT_NE(go.err.find("(title ch.05): Command Error"), std::string::npos) << go.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "go.dat"));

  EXPECT_NE(control_command("fault condition LOCK 1 after 40").find("OK"), std::string::npos);
  const auto cut = folder / "cut.dat";
  const CliRun run = run_cli("read-all" + port() + " -o " + cut.string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("step 40 (pattern OP39): Lock Display"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(cut));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file left behind";
}

}  // namespace
}  // namespace orv
