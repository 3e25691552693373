#include "win/platform/tcp_client_link.h"

#include "app/configuration.h"

namespace orv::win {
namespace {

constexpr int kReceiveBuffer = 1024;
constexpr long kClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;

std::string address_text(const Octets& host) {
  return std::to_string(host[0]) + "." + std::to_string(host[1]) + "." + std::to_string(host[2]) +
         "." + std::to_string(host[3]);
}

}  // namespace

// A failed start leaves nothing behind: no socket, no started library.
void TcpClientLink::fail_start(const LinkReport& report, const std::string& text) {
  close_socket(window_, socket_);
  library_.stop();
  report(text);
}

bool TcpClientLink::connect_to(const Octets& host, std::string_view port_text, int timeout_ms,
                               const LinkReport& report) {
  if (has_socket()) return true;  // a connection is under way or stands already
  const auto port = tcp_port(port_text);
  if (!library_.start(report)) return false;
  if (!port) {
    fail_start(report, "接続できません");
    return false;
  }
  std::string failure;
  socket_ = event_socket(window_, kClientEvents, failure);
  if (!socket_.valid()) {
    fail_start(report, failure);
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(*port));
  address.sin_addr.s_addr = inet_addr(address_text(host).c_str());
  if (connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
          SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    fail_start(report, "接続できません");
    return false;
  }
  lines_.clear();
  host_ = address_text(host);
  SetTimer(window_, kTcpConnectTimerId, static_cast<UINT>(timeout_ms), nullptr);
  return true;
}

// The converter did not answer the connection in time: it fails as a
// refused one does.
void TcpClientLink::on_connect_timer() {
  KillTimer(window_, kTcpConnectTimerId);
  if (connecting()) close_connection(LinkEvent::Kind::failed);
}

void TcpClientLink::disconnect() {
  if (window_) KillTimer(window_, kTcpConnectTimerId);
  outgoing_.clear();
  close_socket(window_, socket_);
  library_.stop();
  connected_ = false;
  lines_.clear();
}

bool TcpClientLink::on_socket_event(SOCKET socket, int event, int error) {
  if (socket == INVALID_SOCKET || socket != socket_.get()) return false;
  if (error != 0) {
    close_connection(LinkEvent::Kind::failed);
    return true;
  }
  switch (event) {
    case FD_READ:
      receive();
      break;
    case FD_WRITE:
      if (!outgoing_.flush(socket)) close_connection(LinkEvent::Kind::failed);
      break;
    case FD_CONNECT:
      KillTimer(window_, kTcpConnectTimerId);
      connected_ = true;
      events_.push(LinkEvent{LinkEvent::Kind::opened, Connection::client(), host_});
      break;
    case FD_CLOSE:
      close_connection(LinkEvent::Kind::closed);
      break;
    default:
      events_.push(LinkEvent{LinkEvent::Kind::unknown_socket_event, Connection::client(),
                             "ﾈｯﾄﾜｰｸ･ｴﾗｰ(event " + std::to_string(event) + ")"});
  }
  return true;
}

// At most one receive buffer a read event; what is left raises another. The
// converter closing shows as a receive of nothing: the connection closes at
// once, so a run in progress ends now.
void TcpClientLink::receive() {
  char buffer[kReceiveBuffer];
  const int got = recv(socket_.get(), buffer, kReceiveBuffer, 0);
  if (got == 0) return close_connection(LinkEvent::Kind::closed);
  if (got < 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) close_connection(LinkEvent::Kind::failed);
    return;
  }
  for (std::string& line : lines_.feed(std::string_view(buffer, static_cast<size_t>(got))))
    events_.push(LinkEvent{LinkEvent::Kind::line, Connection::client(), std::move(line)});
}

// The peer went, or its socket failed: the connection is closed before
// anybody hears of it.
void TcpClientLink::close_connection(LinkEvent::Kind why) {
  outgoing_.clear();
  close_socket(window_, socket_);
  connected_ = false;
  KillTimer(window_, kTcpConnectTimerId);
  events_.push(LinkEvent{why, Connection::client(), {}});
}

bool TcpClientLink::send(std::string_view bytes) {
  return socket_.valid() && outgoing_.send(socket_.get(), bytes);
}

}  // namespace orv::win
