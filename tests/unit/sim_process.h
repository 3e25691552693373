// orvellan-sim as a child process of a test: its pseudo-terminal, its
// control channel, and a clean stop.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace sim_process {

using Clock = std::chrono::steady_clock;

inline sockaddr_in loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

inline int free_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = loopback(0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t length = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
  ::close(fd);
  return ntohs(a.sin_port);
}

// A connection to a loopback port, or -1.
inline int connect_to(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in a = loopback(port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return fd;
  ::close(fd);
  return -1;
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

inline std::string read_answer(int fd) {
  return read_until(fd, [](const std::string& t) {
    return t.rfind("OK", 0) == 0 || t.find("\nOK") != std::string::npos || t.rfind("ERR", 0) == 0;
  });
}

class SimProcess : public ::testing::Test {
 protected:
  void start(std::vector<std::string> extra) {
    std::vector<std::string> args{ORV_SIM_PATH, "--pty", pty.string(), "--control",
                                  "127.0.0.1:" + std::to_string(control_port)};
    args.insert(args.end(), extra.begin(), extra.end());
    started = Clock::now();
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
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
      if (std::filesystem::exists(pty) && (control = connect_to(control_port)) >= 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  int open_port() {
    const int fd = ::open(pty.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
  }

  std::string control_command(const std::string& line) {
    const std::string text = line + "\n";
    EXPECT_EQ(::write(control, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    return read_answer(control);
  }

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
  Clock::time_point started;
};

}  // namespace sim_process
