#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "cli/ports.h"

namespace orv::cli {
namespace {

std::string system_error(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// One file descriptor, read with poll(), for both the tty and the socket.
class DescriptorPort : public LinePort {
 public:
  DescriptorPort(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  ~DescriptorPort() override { ::close(fd_); }
  DescriptorPort(const DescriptorPort&) = delete;
  DescriptorPort& operator=(const DescriptorPort&) = delete;

  bool ready() const override { return true; }
  std::string name() const override { return name_; }

  bool send(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  bool receive(std::string& bytes, int timeout_ms, std::string& error) override {
    pollfd watched{fd_, POLLIN, 0};
    const int ready = ::poll(&watched, 1, timeout_ms);
    if (ready < 0) return errno == EINTR || (error = system_error("poll"), false);
    if (ready == 0) return true;
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n < 0) return error = system_error("read"), false;
    if (n == 0) return error = "the connection was closed", false;
    bytes.append(buffer, static_cast<size_t>(n));
    return true;
  }

 private:
  int fd_;
  std::string name_;
};

speed_t speed_of(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

bool is_pseudo_terminal(const std::string& device) {
  char resolved[PATH_MAX];
  return ::realpath(device.c_str(), resolved) && std::strncmp(resolved, "/dev/pts/", 9) == 0;
}

}  // namespace

std::unique_ptr<LinePort> open_serial_port(const std::string& device, int baud, std::string& note,
                                           std::string& error) {
  const speed_t speed = speed_of(baud);
  if (speed == B0) return error = "unsupported baud rate " + std::to_string(baud), nullptr;
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return error = system_error(device), nullptr;
  auto port = std::make_unique<DescriptorPort>(fd, device);
  ::fcntl(fd, F_SETFL, 0);  // opened without waiting for a carrier; writes may block
  termios line{};
  if (::tcgetattr(fd, &line) != 0) return error = device + " is not a serial line", nullptr;
  ::cfmakeraw(&line);
  ::cfsetispeed(&line, speed);
  ::cfsetospeed(&line, speed);
  // No hardware handshake: a line whose CTS is not wired must not hold a
  // write for ever.
  line.c_cflag |= CLOCAL | CREAD | PARENB;
  line.c_cflag &= ~(PARODD | CSTOPB | CRTSCTS);
  const bool set = ::tcsetattr(fd, TCSANOW, &line) == 0;
  if (is_pseudo_terminal(device)) {
    note = device + " is a pseudo-terminal: it has no baud rate or parity to set; used as it is";
  } else if (!set) {
    return error = system_error(device + ": cannot set 8E1 at " + std::to_string(baud)), nullptr;
  }
  // A late reply of an aborted run, or a line of another device, must not
  // be taken for the answer to the first command.
  ::tcflush(fd, TCIFLUSH);
  return port;
}

std::unique_ptr<LinePort> open_tcp_port(const std::string& host_port, int timeout_ms,
                                        std::string& error) {
  std::string host, service;
  if (!split_host_port(host_port, host, service))
    return error = "\"" + host_port + "\" is not HOST:PORT", nullptr;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found)
    return error = "cannot resolve " + host, nullptr;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return ::freeaddrinfo(found), error = system_error("socket"), nullptr;
  auto port = std::make_unique<DescriptorPort>(fd, host_port);
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  const int started = ::connect(fd, found->ai_addr, found->ai_addrlen);
  ::freeaddrinfo(found);
  if (started != 0 && errno != EINPROGRESS) return error = system_error(host_port), nullptr;
  pollfd watched{fd, POLLOUT, 0};
  int failure = 0;
  socklen_t size = sizeof failure;
  if (::poll(&watched, 1, timeout_ms) != 1)
    return error = host_port + ": no connection within " + std::to_string(timeout_ms) + " ms",
           nullptr;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size) != 0 || failure != 0) {
    errno = failure;
    return error = system_error(host_port), nullptr;
  }
  ::fcntl(fd, F_SETFL, 0);
  return port;
}

std::optional<std::vector<AcceptedConverter>> accept_converters(const std::string& host_port,
                                                                int count, int wait_ms,
                                                                std::string& error) {
  std::string host, service;
  if (!split_host_port(host_port, host, service))
    return error = "\"" + host_port + "\" is not HOST:PORT", std::nullopt;
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<uint16_t>(std::atoi(service.c_str())));
  if (::inet_pton(AF_INET, host.c_str(), &at.sin_addr) != 1)
    return error = host + " is not an IPv4 address", std::nullopt;
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(listener, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
      ::listen(listener, SOMAXCONN) != 0) {
    error = system_error(host_port);
    ::close(listener);
    return std::nullopt;
  }
  std::vector<AcceptedConverter> accepted;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (static_cast<int>(accepted.size()) < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd watched{listener, POLLIN, 0};
    if (left <= 0 || ::poll(&watched, 1, static_cast<int>(left)) <= 0) break;
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    const int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
    if (fd < 0) continue;
    char address[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
    accepted.push_back({address, std::make_unique<DescriptorPort>(fd, address)});
  }
  ::close(listener);
  return accepted;
}

}  // namespace orv::cli
