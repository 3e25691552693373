// The units' line settings on a tty, through its descriptor.
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "io/ports.h"

namespace orv::io {
namespace {

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

bool set_unit_line(asio::serial_port& port, const std::string& device, int baud, std::string& note,
                   std::string& error) {
  const speed_t speed = speed_of(baud);
  if (speed == B0) return error = "unsupported baud rate " + std::to_string(baud), false;
  const int fd = port.native_handle();
  termios line{};
  if (::tcgetattr(fd, &line) != 0) return error = device + " is not a serial line", false;
  ::cfmakeraw(&line);
  ::cfsetispeed(&line, speed);
  ::cfsetospeed(&line, speed);
  line.c_cflag |= CLOCAL | CREAD | PARENB | CRTSCTS;
  line.c_cflag &= ~(PARODD | CSTOPB);
  line.c_iflag |= IXON | IXOFF;
  line.c_cc[VSTART] = 0x11;
  line.c_cc[VSTOP] = 0x13;
  const bool set = ::tcsetattr(fd, TCSANOW, &line) == 0;
  if (is_pseudo_terminal(device)) {
    note = device + " is a pseudo-terminal: it has no baud rate or parity to set; used as it is";
  } else if (!set) {
    return error =
               device + ": cannot set 8E1 at " + std::to_string(baud) + ": " + std::strerror(errno),
           false;
  }
  // A late reply of an aborted run, or a line of another device, must not
  // be taken for the answer to the first command.
  ::tcflush(fd, TCIFLUSH);
  return true;
}

}  // namespace orv::io
