// orvellan-sim as a process: the real pseudo-terminal and control socket.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "sim_process.h"

namespace {

using namespace sim_process;

TEST_F(SimProcess, ServesThePtyAndTheControlChannelAndStopsCleanly) {
  start({"--line", "rs485", "--units", "8", "--reply-address"});
  ASSERT_TRUE(wait_ready());
  const auto startup =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
  EXPECT_LT(startup.count(), 1000);

  const int port = open_port();
  ASSERT_GE(port, 0);
  ASSERT_EQ(::write(port, "05CTI", 5), 5);  // in two chunks
  ASSERT_EQ(::write(port, "12OF\r\n", 6), 6);
  EXPECT_EQ(read_line(port), "05GO\r\n");
  ASSERT_EQ(::write(port, "FFCTI01OF\r\n", 11), 11);
  ASSERT_EQ(::write(port, "07ROP\r\n", 7), 7);
  EXPECT_EQ(read_line(port), "07OP01\r\n");  // nothing came for the Broadcast

  EXPECT_EQ(control_command("get 05 RCTI"),
            "OK CTIF" + std::string(10, 'N') + "F" + std::string(20, 'N') + "\n");
  const std::string log = control_command("log 05");
  EXPECT_NE(log.find(" 05 05CTI12OF\\r\\n\n"), std::string::npos) << log;

  EXPECT_EQ(control_command("fault condition MENU"), "OK condition MENU 1, delay 0\n");
  ASSERT_EQ(::write(port, "05ROP\r\n", 7), 7);
  EXPECT_EQ(read_line(port), "05MENU\r\n");
  ::close(port);

  EXPECT_EQ(stop(SIGTERM), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(pty));
}

// A listening loopback socket, or -1.
int listen_on(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in a = loopback(port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 && ::listen(fd, 16) == 0)
    return fd;
  ::close(fd);
  return -1;
}

int accept_within(int listener, int timeout_ms) {
  pollfd p{listener, POLLIN, 0};
  if (::poll(&p, 1, timeout_ms) <= 0) return -1;
  return ::accept(listener, nullptr, nullptr);
}

// True when the peer closes the connection within two seconds (whatever
// it still sent before).
bool closed_by_peer(int fd) {
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (Clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) return errno == ECONNRESET;
  }
  return false;
}

TEST_F(SimProcess, ServerModeConverterAnswersWithoutAddressAndCanBeDropped) {
  const int listen_port = free_port();
  start(
      {"--line", "rs485", "--units", "2", "--listen", "127.0.0.1:" + std::to_string(listen_port)});
  ASSERT_TRUE(wait_ready());
  std::vector<int> clients;
  for (int i = 0; i < 3; ++i) clients.push_back(connect_to(listen_port));
  for (int client : clients) {
    ASSERT_GE(client, 0);
    ASSERT_EQ(::write(client, "ROP\r\n", 5), 5);  // no address on TCP/IP
    EXPECT_EQ(read_line(client), "OP01\r\n");
  }
  // Commands still arriving on the links while they are dropped.
  for (int client : clients) ASSERT_EQ(::write(client, "ROP\r\n", 5), 5);
  EXPECT_EQ(control_command("drop tcp"), "OK dropped 3\n");
  for (int client : clients) {
    EXPECT_TRUE(closed_by_peer(client));
    ::close(client);
  }
  EXPECT_EQ(control_command("links"), "serial open\nOK 1\n");
}

TEST_F(SimProcess, ConvertersConnectToTheProgramEachWithItsOwnUnit) {
  const int program_port = free_port();
  const int program = listen_on(program_port);
  start({"--connect", "127.0.0.1:" + std::to_string(program_port), "--converters", "3"});
  ASSERT_TRUE(wait_ready());
  std::vector<int> converters;
  for (int i = 0; i < 3; ++i) converters.push_back(accept_within(program, 3000));
  for (int fd : converters) ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(converters[0], "CTI01OF\r\n", 9), 9);
  EXPECT_EQ(read_line(converters[0]), "GO\r\n");
  ASSERT_EQ(::write(converters[1], "RCTI\r\n", 6), 6);
  EXPECT_EQ(read_line(converters[1]).substr(0, 4), "CTIN") << "each converter has its own unit";
  const std::string links = control_command("links");
  EXPECT_NE(links.find("c3 connected"), std::string::npos) << links;
  std::map<std::string, int> by_source;  // each converter from its own loopback address
  for (int fd : converters) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    char text[INET_ADDRSTRLEN] = {};
    by_source[::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text)] = fd;
  }
  ASSERT_EQ(by_source.size(), 3u);
  ASSERT_TRUE(by_source.count("127.0.1.1") && by_source.count("127.0.1.2"));

  // Faults aimed at one converter, and text a converter sends unasked.
  EXPECT_EQ(control_command("fault silence all link c1"), "OK silence all link c1, delay 0\n");
  ASSERT_EQ(::write(by_source["127.0.1.2"], "ROP\r\n", 5), 5);
  EXPECT_EQ(read_line(by_source["127.0.1.2"]), "OP01\r\n") << "c2 still answers";
  EXPECT_EQ(control_command("fault clear"), "OK\n");
  const std::string long_line = std::string(700, 'X');
  EXPECT_EQ(control_command("send c1 " + long_line + "\\r\\n"), "OK 702\n");
  EXPECT_EQ(read_line(by_source["127.0.1.1"]), long_line + "\r\n");

  EXPECT_EQ(control_command("drop c2"), "OK dropped 1\n");
  EXPECT_EQ(control_command("connect c2"), "OK 1\n");
  const int again = accept_within(program, 3000);
  EXPECT_GE(again, 0) << "the dropped converter connects again when told to";
  for (int fd : converters) ::close(fd);
  if (again >= 0) ::close(again);
  ::close(program);
}

TEST_F(SimProcess, BusyControlPortIsAOneLineFailure) {
  const int busy = listen_on(control_port);
  ASSERT_GE(busy, 0);
  start({});
  int status = 0;
  ::waitpid(pid, &status, 0);
  pid = -1;
  ::close(busy);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 0);
  EXPECT_FALSE(std::filesystem::exists(pty));
}

TEST_F(SimProcess, BadOptionExitsWithAReason) {
  start({"--units", "99"});
  int status = 0;
  ::waitpid(pid, &status, 0);
  pid = -1;
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
