// orvellan-sim as a process: its sockets and control channel, its start-up
// and its stop. The command-line tool's tests talk to it on its
// pseudo-terminal.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "sim_process.h"

namespace {

using namespace sim_process;

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
