// orvellan-sim as a child process of a test: its pseudo-terminal, its
// control channel, and a clean stop.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace sim_process {

using Clock = std::chrono::steady_clock;

// A connection to a loopback port or, `listening`, a socket listening on it;
// -1 when that fails.
inline int loopback_socket(int port, bool listening = false) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto* address = reinterpret_cast<const sockaddr*>(&a);
  if (listening ? ::bind(fd, address, sizeof a) == 0 && ::listen(fd, 16) == 0
                : ::connect(fd, address, sizeof a) == 0)
    return fd;
  ::close(fd);
  return -1;
}

inline int free_port() {
  const int fd = loopback_socket(0, true);
  sockaddr_in a{};
  socklen_t length = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
  ::close(fd);
  return ntohs(a.sin_port);
}

// Reads until `done` says the text is complete, or the deadline passes.
template <typename Done>
inline std::string read_until(int fd, Done done, int timeout_ms = 3000) {
  std::string text;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done(text) && Clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

inline std::string read_line(int fd) {
  return read_until(fd, [](const std::string& t) { return t.find('\n') != std::string::npos; });
}

class SimProcess : public ::testing::Test {
 protected:
  void start(std::vector<std::string> extra) {
    std::vector<std::string> args{ORV_SIM_PATH, "--pty", pty.string(), "--control",
                                  "127.0.0.1:" + std::to_string(control_port)};
    args.insert(args.end(), extra.begin(), extra.end());
    pid = ::fork();
    if (pid == 0) {
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }

  // Waits for the symlink and the control port, as a script would.
  bool wait_ready() {
    for (const auto end = Clock::now() + std::chrono::seconds(5); Clock::now() < end;
         std::this_thread::sleep_for(std::chrono::milliseconds(5)))
      if (std::filesystem::exists(pty) && (control = loopback_socket(control_port)) >= 0)
        return true;
    return false;
  }

  std::string control_command(const std::string& line) {
    const std::string text = line + "\n";
    EXPECT_EQ(::write(control, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    return read_until(control, [](const std::string& t) {
      return t.rfind("OK", 0) == 0 || t.find("\nOK") != std::string::npos || t.rfind("ERR", 0) == 0;
    });
  }

  // Signal 0 only waits for the exit.
  int stop(int signal = SIGTERM) {
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void TearDown() override {
    if (control >= 0) ::close(control);
    if (pid > 0) stop(SIGKILL);
    std::filesystem::remove(pty);
  }

  std::filesystem::path pty =
      std::filesystem::temp_directory_path() / ("orv-sim-test-" + std::to_string(::getpid()));
  int control_port = free_port();
  int control = -1;
  pid_t pid = -1;
};

}  // namespace sim_process
