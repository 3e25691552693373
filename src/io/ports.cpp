#include "io/ports.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include <chrono>

namespace orv::io {
namespace {

using std::chrono::milliseconds;
using tcp = asio::ip::tcp;

// Runs `io` until `done`, or for at most `wait`; false when the time ran out.
bool run_until(asio::io_context& io, const bool& done, milliseconds wait) {
  io.restart();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!done && std::chrono::steady_clock::now() < deadline)
    if (io.run_one_until(deadline) == 0) break;
  return done;
}

// One stream (a serial port or a socket) with an io_context of its own,
// waited on with a deadline.
template <typename Stream>
class AsioPort : public LinePort {
 public:
  AsioPort(std::unique_ptr<asio::io_context> io, std::unique_ptr<Stream> stream, std::string name)
      : io_(std::move(io)), stream_(std::move(stream)), name_(std::move(name)) {}

  bool ready() const override { return true; }
  std::string name() const override { return name_; }

  // A write that has not gone out in its time (10 ms a byte covers 1200
  // baud, and a second more: a handshake that never lets it go) fails.
  bool send(std::string_view bytes) override {
    bool done = false;
    error_code failed;
    asio::async_write(*stream_, asio::buffer(bytes.data(), bytes.size()),
                      [&](error_code ec, size_t) { done = true, failed = ec; });
    if (!run_until(*io_, done, milliseconds(1000 + 10 * static_cast<long>(bytes.size())))) {
      finish_cancelled(done);
      return false;
    }
    return !failed;
  }

  // Returns with the first bytes that arrive, or when the time is up.
  bool receive(std::string& bytes, int timeout_ms, std::string& error) override {
    char buffer[4096];
    bool done = false;
    error_code failed;
    size_t got = 0;
    stream_->async_read_some(asio::buffer(buffer),
                             [&](error_code ec, size_t n) { done = true, failed = ec, got = n; });
    if (!run_until(*io_, done, milliseconds(timeout_ms))) {
      finish_cancelled(done);
      bytes.append(buffer, got);
      return true;
    }
    bytes.append(buffer, got);
    if (failed == asio::error::eof) return error = "the connection was closed", false;
    if (failed) return error = name_ + ": " + failed.message(), false;
    return true;
  }

 private:
  // The operation's handler must have run before its buffer goes.
  void finish_cancelled(bool& done) {
    error_code ignored;
    stream_->cancel(ignored);
    run_until(*io_, done, milliseconds(1000));
  }

  std::unique_ptr<asio::io_context> io_;
  std::unique_ptr<Stream> stream_;
  std::string name_;
};

std::optional<tcp::endpoint> endpoint_of(const std::string& host_port, std::string& error) {
  std::string host, service;
  if (!split_host_port(host_port, host, service))
    return error = "\"" + host_port + "\" is not HOST:PORT", std::nullopt;
  error_code bad;
  const auto address = asio::ip::make_address_v4(host, bad);
  if (bad) return error = host + " is not an IPv4 address", std::nullopt;
  return tcp::endpoint(address, static_cast<unsigned short>(std::stoi(service)));
}

}  // namespace

error_code listen_at(tcp::acceptor& acceptor, const tcp::endpoint& at) {
  error_code failed;
  acceptor.open(at.protocol(), failed);
#ifndef _WIN32
  if (!failed) acceptor.set_option(tcp::acceptor::reuse_address(true), failed);
#endif
  if (!failed) acceptor.bind(at, failed);
  if (!failed) acceptor.listen(asio::socket_base::max_listen_connections, failed);
  if (failed) {
    error_code ignored;
    acceptor.close(ignored);
  }
  return failed;
}

bool split_host_port(const std::string& text, std::string& host, std::string& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  host = text.substr(0, colon);
  port = text.substr(colon + 1);
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
  const int number = std::stoi(port);
  return number >= 1 && number <= 65535;
}

std::unique_ptr<LinePort> open_serial_port(const std::string& device, int baud, std::string& note,
                                           std::string& error) {
  auto io = std::make_unique<asio::io_context>();
  auto port = std::make_unique<asio::serial_port>(*io);
  error_code failed;
  port->open(device, failed);
  if (failed) return error = device + ": " + failed.message(), nullptr;
  if (!set_unit_line(*port, device, baud, note, error)) return nullptr;
  return std::make_unique<AsioPort<asio::serial_port>>(std::move(io), std::move(port), device);
}

std::unique_ptr<LinePort> open_tcp_port(const std::string& host_port, int timeout_ms,
                                        std::string& error) {
  std::string host, service;
  if (!split_host_port(host_port, host, service))
    return error = "\"" + host_port + "\" is not HOST:PORT", nullptr;
  auto io = std::make_unique<asio::io_context>();
  tcp::resolver resolver(*io);
  error_code failed;
  const auto found = resolver.resolve(tcp::v4(), host, service, failed);
  if (failed || found.empty()) return error = "cannot resolve " + host, nullptr;
  auto socket = std::make_unique<tcp::socket>(*io);
  bool done = false;
  asio::async_connect(*socket, found,
                      [&](error_code ec, const tcp::endpoint&) { done = true, failed = ec; });
  if (!run_until(*io, done, milliseconds(timeout_ms))) {
    socket->close(failed);
    run_until(*io, done, milliseconds(1000));
    return error = host_port + ": no connection within " + std::to_string(timeout_ms) + " ms",
           nullptr;
  }
  if (failed) return error = host_port + ": " + failed.message(), nullptr;
  return std::make_unique<AsioPort<tcp::socket>>(std::move(io), std::move(socket), host_port);
}

std::optional<std::vector<AcceptedConverter>> accept_converters(const std::string& host_port,
                                                                int count, int wait_ms,
                                                                std::string& error) {
  const auto at = endpoint_of(host_port, error);
  if (!at) return std::nullopt;
  asio::io_context io;
  tcp::acceptor acceptor(io);
  error_code failed = listen_at(acceptor, *at);
  if (failed) return error = host_port + ": " + failed.message(), std::nullopt;
  std::vector<AcceptedConverter> accepted;
  const auto deadline = std::chrono::steady_clock::now() + milliseconds(wait_ms);
  while (static_cast<int>(accepted.size()) < count) {
    // Each converter's socket belongs to an io_context of its own: its run
    // goes on a thread of its own.
    auto own = std::make_unique<asio::io_context>();
    auto socket = std::make_unique<tcp::socket>(*own);
    bool done = false;
    acceptor.async_accept(*socket, [&](error_code ec) { done = true, failed = ec; });
    const auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !run_until(io, done, left)) {
      acceptor.close(failed);
      run_until(io, done, milliseconds(1000));
      break;
    }
    if (failed) continue;
    const std::string address = socket->remote_endpoint(failed).address().to_string();
    accepted.push_back({address, std::make_unique<AsioPort<tcp::socket>>(
                                     std::move(own), std::move(socket), address)});
  }
  return accepted;
}

}  // namespace orv::io
