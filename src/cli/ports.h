// The ports the command-line tool reaches units through: a serial line (a
// COM port on Windows, a tty elsewhere) or a TCP/IP connection to a LAN
// converter. Each opens blocking-free and waits only in receive().
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/line_port.h"

namespace orv::cli {

// 8 data bits, even parity, one stop bit at `baud`. A pseudo-terminal has no
// parity to set: `note` then says so and the port is used as it is.
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

// HOST and PORT of "HOST:PORT"; false unless PORT is 1..65535.
bool split_host_port(const std::string& text, std::string& host, std::string& port);

}  // namespace orv::cli
