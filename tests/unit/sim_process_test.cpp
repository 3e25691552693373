// orvellan-sim as a process: the real pseudo-terminal, sockets and control
// channel, its start-up and its stop.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "sim_process.h"

namespace {

using namespace sim_process;

int accept_within(int listener, int timeout_ms) {
  pollfd p{listener, POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) > 0 ? ::accept(listener, nullptr, nullptr) : -1;
}

// Reads whatever still comes until the peer closes, for two seconds at most;
// true when it did close.
bool closed_by_peer(int fd) {
  read_until(
      fd, [](const std::string&) { return false; }, 2000);
  char byte;
  return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

TEST_F(SimProcess, ServesThePtyAndTcpDropsConnectionsAndStopsCleanly) {
  const int listen_port = free_port();
  const auto begun = Clock::now();
  start({"--line", "rs485", "--units", "8", "--reply-address", "--listen",
         "127.0.0.1:" + std::to_string(listen_port)});
  ASSERT_TRUE(wait_ready());
  EXPECT_LT(Clock::now() - begun, std::chrono::seconds(1));

  const int port = ::open(pty.c_str(), O_RDWR | O_NOCTTY);  // raw and without echo already
  ASSERT_GE(port, 0);
  ASSERT_EQ(::write(port, "05CTI", 5), 5);  // in two chunks
  ASSERT_EQ(::write(port, "12OF\r\n", 6), 6);
  EXPECT_EQ(read_line(port), "05GO\r\n");
  ASSERT_EQ(::write(port, "FFCTI01OF\r\n07ROP\r\n", 18), 18);
  EXPECT_EQ(read_line(port), "07OP01\r\n");  // nothing came for the Broadcast
  ::close(port);

  std::vector<int> clients{loopback_socket(listen_port), loopback_socket(listen_port)};
  for (int client : clients) {
    ASSERT_GE(client, 0);
    ASSERT_EQ(::write(client, "ROP\r\n", 5), 5);  // no address on TCP/IP
    EXPECT_EQ(read_line(client), "OP01\r\n");
    ASSERT_EQ(::write(client, "ROP\r\n", 5), 5);  // still arriving when dropped
  }
  EXPECT_EQ(control_command("drop tcp"), "OK dropped 2\n");
  for (int client : clients) {
    EXPECT_TRUE(closed_by_peer(client));
    ::close(client);
  }
  EXPECT_EQ(control_command("links"), "serial open\nOK 1\n");

  EXPECT_EQ(stop(SIGTERM), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(pty));
}

TEST_F(SimProcess, ConvertersConnectFromTheirOwnLoopbackAddressesEachWithItsUnit) {
  const int program_port = free_port();
  const int program = loopback_socket(program_port, true);
  start({"--connect", "127.0.0.1:" + std::to_string(program_port), "--converters", "3"});
  ASSERT_TRUE(wait_ready());
  std::map<std::string, int> by_source;
  for (int i = 0; i < 3; ++i) {
    const int fd = accept_within(program, 3000);
    ASSERT_GE(fd, 0);
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    char text[INET_ADDRSTRLEN] = {};
    by_source[::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text)] = fd;
  }
  ASSERT_EQ(by_source.size(), 3u);
  ASSERT_TRUE(by_source.count("127.0.1.1") && by_source.count("127.0.1.2"));
  const int c1 = by_source["127.0.1.1"], c2 = by_source["127.0.1.2"];
  ASSERT_EQ(::write(c1, "CTI01OF\r\n", 9), 9);
  EXPECT_EQ(read_line(c1), "GO\r\n");
  EXPECT_EQ(control_command("get c2:00 RCTI").substr(0, 7), "OK CTIN") << "c2 has its own unit";

  EXPECT_EQ(control_command("fault silence all link c1"), "OK silence all link c1, delay 0\n");
  ASSERT_EQ(::write(c2, "ROP\r\n", 5), 5);
  EXPECT_EQ(read_line(c2), "OP01\r\n") << "c2 still answers";
  // Longer than a line the program would accept, and not shaped by the fault.
  EXPECT_EQ(control_command("send c1 " + std::string(700, 'X') + "\\r\\n"), "OK 702\n");
  EXPECT_EQ(read_line(c1), std::string(700, 'X') + "\r\n");

  EXPECT_EQ(control_command("drop c2"), "OK dropped 1\n");
  EXPECT_EQ(control_command("connect c2"), "OK 1\n");
  const int again = accept_within(program, 3000);
  EXPECT_GE(again, 0) << "the dropped converter connects again when told to";
  for (const auto& [source, fd] : by_source) ::close(fd);
  if (again >= 0) ::close(again);
  ::close(program);
}

TEST_F(SimProcess, BadOptionOrBusyControlPortExitsWithAOneLineReason) {
  start({"--units", "99"});
  EXPECT_EQ(stop(0), 2);
  const int busy = loopback_socket(control_port, true);
  ASSERT_GE(busy, 0);
  start({});
  EXPECT_EQ(stop(0), 1);
  ::close(busy);
  EXPECT_FALSE(std::filesystem::exists(pty));
}

}  // namespace
