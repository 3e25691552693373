// The ports the command line and the gateway reach units through, on
// Boost.Asio for both platforms: a serial line (a COM port on Windows, a
// tty elsewhere) with the units' line settings, and TCP/IP connections to
// LAN converters, made or accepted. The command line's ports wait only in
// LinePort::receive(), each with an io_context of its own.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/serial_port.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/line_port.h"

namespace orv::io {

namespace asio = boost::asio;
using boost::system::error_code;

// HOST and PORT of "HOST:PORT"; false unless PORT is 1..65535.
bool split_host_port(const std::string& text, std::string& host, std::string& port);

// The units' line: 8 data bits, even parity, one stop bit at `baud`, the
// CTS handshake, DTR and RTS handshaking, and XON/XOFF both ways (which
// Asio's options cannot say together: they are set through the native
// handle). A pseudo-terminal has no parity to set: `note` then says so and
// the port is used as it is. False, with `error`, when the port refuses.
bool set_unit_line(asio::serial_port& port, const std::string& device, int baud, std::string& note,
                   std::string& error);

// Opens `acceptor` listening at `at`. On POSIX the port may be taken again at
// once after a restart (SO_REUSEADDR); on Windows, where that option would
// let another process take the port over, it is not set (a listening port
// there is free again as soon as it is closed).
error_code listen_at(asio::ip::tcp::acceptor& acceptor, const asio::ip::tcp::endpoint& at);

// --- The command line's ports.

// The serial line `device` at `baud`; nothing, with `error`, when it cannot
// be opened or set. A note about the port goes to `note`.
std::unique_ptr<LinePort> open_serial_port(const std::string& device, int baud, std::string& note,
                                           std::string& error);

// "HOST:PORT"; waits at most `timeout_ms` for the connection.
std::unique_ptr<LinePort> open_tcp_port(const std::string& host_port, int timeout_ms,
                                        std::string& error);

// A converter that connected to the tool, named by its address.
struct AcceptedConverter {
  std::string address;  // "192.168.1.3"
  std::unique_ptr<LinePort> port;
};

// Listens at "HOST:PORT" as the converters' TCP server and takes those that
// connect until `count` have, or `wait_ms` has passed (what came by then);
// nothing, with `error`, when it cannot listen.
std::optional<std::vector<AcceptedConverter>> accept_converters(const std::string& host_port,
                                                                int count, int wait_ms,
                                                                std::string& error);

}  // namespace orv::io
