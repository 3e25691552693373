// The command-line tool, run as an operator would run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "settings_file/settings_file.h"
#include "test_support.h"

namespace orv {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

CliRun run_cli(const std::string& arguments) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto err_path = dir / ("orv-cli-err-" + std::to_string(::getpid()));
  const std::string command =
      std::string(ORV_CLI_PATH) + " " + arguments + " 2>" + err_path.string();
  CliRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::string error;
  read_whole_file(err_path, run.err, error);
  std::filesystem::remove(err_path);
  return run;
}

std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back("<unterminated>" + text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    file =
        std::filesystem::temp_directory_path() / ("orv-cli-" + std::to_string(::getpid()) + ".dat");
    std::string error;
    ASSERT_TRUE(save_settings_file(file, DeviceSettings{}, error)) << error;
  }
  void TearDown() override { std::filesystem::remove(file); }
  std::filesystem::path file;
};

TEST_F(Cli, SetAllOfTheDefaultsByModel) {
  const CliRun orvellan = run_cli("commands set-all " + file.string() + " --model orvellan");
  ASSERT_EQ(orvellan.status, 0) << orvellan.err;
  const auto lines = crlf_lines(orvellan.out);
  ASSERT_EQ(lines.size(), 176u);
  EXPECT_EQ(lines[0], "OP01");
  EXPECT_EQ(lines[1].substr(0, 2), "OS");
  EXPECT_EQ(lines[1].size(), 98u);
  EXPECT_EQ(lines[175].substr(0, 2), "OE");

  const CliRun tarquine = run_cli("commands set-all " + file.string() + " --model tarquine");
  ASSERT_EQ(tarquine.status, 0) << tarquine.err;
  EXPECT_EQ(crlf_lines(tarquine.out).size(), 208u);
}

TEST_F(Cli, SetAllStopsAtATitleThatCannotBeSent) {
  DeviceSettings s;
  set_title(s.titles[2],
            "\x82\xa0"
            "AB");
  std::string error;
  ASSERT_TRUE(save_settings_file(file, s, error));
  const CliRun run = run_cli("commands set-all " + file.string());
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("step 137 (title ch.03)"), std::string::npos) << run.err;
  EXPECT_EQ(crlf_lines(run.out).size(), 136u);  // everything before it
}

TEST_F(Cli, ReadAllByModel) {
  const CliRun run = run_cli("commands read-all --model tarquine");
  ASSERT_EQ(run.status, 0);
  const auto lines = crlf_lines(run.out);
  ASSERT_EQ(lines.size(), 207u);
  EXPECT_EQ(lines[196], "RCT64");
  EXPECT_EQ(crlf_lines(run_cli("commands read-all").out).size(), 175u);
}

TEST_F(Cli, CheckTellsWholeFromDamaged) {
  EXPECT_EQ(run_cli("check " + file.string()).status, 0);
  std::ofstream(file, std::ios::trunc) << "0\r\n1\r\nx\r\n";
  const CliRun damaged = run_cli("check " + file.string());
  EXPECT_NE(damaged.status, 0);
  EXPECT_NE(damaged.err.find("line 3"), std::string::npos) << damaged.err;
  const CliRun missing = run_cli("check /nonexistent/x.dat");
  EXPECT_NE(missing.status, 0);
  EXPECT_FALSE(missing.err.empty());
}

TEST_F(Cli, HelpAndBadArguments) {
  EXPECT_EQ(run_cli("commands set-all --help").status, 0);
  EXPECT_NE(run_cli("commands set-all --help").out.find("set-all"), std::string::npos);
  EXPECT_EQ(run_cli("check --help").status, 0);
  const CliRun bad_model = run_cli("commands read-all --model other");
  EXPECT_NE(bad_model.status, 0);
  EXPECT_NE(bad_model.err.find("unknown model"), std::string::npos);
  EXPECT_NE(run_cli("frobnicate").status, 0);
}

}  // namespace
}  // namespace orv
