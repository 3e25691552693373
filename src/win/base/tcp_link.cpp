#include "win/base/tcp_link.h"

#include "app/configuration.h"
#include "win/base/timers_and_messages.h"

namespace orv::win {
namespace {

constexpr int kReceiveBuffer = 1024;
constexpr long kClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
constexpr long kListenEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
constexpr long kAcceptedEvents = FD_READ | FD_WRITE | FD_CLOSE;

std::string with_code(const char* text, int code) {
  return std::string(text) + "[" + std::to_string(code) + "]";
}

std::string address_text(const Octets& host) {
  return std::to_string(host[0]) + "." + std::to_string(host[1]) + "." + std::to_string(host[2]) +
         "." + std::to_string(host[3]);
}

}  // namespace

TcpLink::TcpLink(LinkEventQueue& events) : events_(events) {}

TcpLink::~TcpLink() {
  disconnect_all();
}

bool TcpLink::start_library(const Report& report) {
  if (library_started_) return true;
  WSADATA data{};
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
    report("WINSOCK.DLLが導入されていません。");
    return false;
  }
  if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
    WSACleanup();
    report("WINSOCK.DLLのバーションが違います。");
    return false;
  }
  library_started_ = true;
  return true;
}

// A failed start leaves nothing behind: no socket, no started library.
void TcpLink::fail_start(const Report& report, const std::string& text) {
  close(main_);
  server_ = false;
  if (library_started_) WSACleanup();
  library_started_ = false;
  report(text);
}

bool TcpLink::make_socket(long events, const Report& report) {
  main_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!main_.valid()) {
    fail_start(report, with_code("WINSOCK.DLLが動作していません。", WSAGetLastError()));
    return false;
  }
  if (WSAAsyncSelect(main_.get(), window_, WM_SOCKET_EVENT, events) == SOCKET_ERROR) {
    fail_start(report,
               with_code("WINSOCK.DLLの WSAAsyncSelect() からのエラー。", WSAGetLastError()));
    return false;
  }
  return true;
}

bool TcpLink::connect_to(const Octets& host, std::string_view port_text, int timeout_ms,
                         const Report& report) {
  if (has_socket()) return true;  // a connection is under way or stands already
  const auto port = tcp_port(port_text);
  if (!start_library(report)) return false;
  if (!port) {
    fail_start(report, "接続できません");
    return false;
  }
  if (!make_socket(kClientEvents, report)) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(*port));
  address.sin_addr.s_addr = inet_addr(address_text(host).c_str());
  if (connect(main_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
          SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    fail_start(report, "接続できません");
    return false;
  }
  client_lines_.clear();
  host_ = address_text(host);
  SetTimer(window_, kTcpConnectTimer.id, static_cast<UINT>(timeout_ms), nullptr);
  return true;
}

// The converter did not answer the connection in time: it fails as a
// refused one does.
void TcpLink::on_connect_timer() {
  KillTimer(window_, kTcpConnectTimer.id);
  if (connecting()) close_connection(main_.get(), LinkEvent::Kind::failed);
}

bool TcpLink::listen_on(std::string_view port_text, const std::string& address_text_in,
                        Admission admits, const Report& report) {
  if (has_socket()) return true;
  admits_ = std::move(admits);
  const auto port = tcp_port(port_text);
  if (!start_library(report)) return false;
  if (!port) {
    fail_start(report, "Bindできません");
    return false;
  }
  if (!make_socket(kListenEvents, report)) return false;
  server_ = true;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(*port));
  address.sin_addr.s_addr =
      address_text_in.empty() ? htonl(INADDR_ANY) : inet_addr(address_text_in.c_str());
  if (bind(main_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
          SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    fail_start(report, "Bindできません");
    return false;
  }
  if (listen(main_.get(), SOMAXCONN) == SOCKET_ERROR) {
    fail_start(report, with_code("WINSOCK.DLLの listen() からのエラー。", WSAGetLastError()));
    return false;
  }
  return true;
}

void TcpLink::disconnect_all() {
  stop_waiting();
  if (window_) KillTimer(window_, kTcpConnectTimer.id);
  outgoing_.clear();
  outgoing_socket_ = INVALID_SOCKET;
  close(main_);
  for (Record& record : records_) {
    close(record.socket);
    record = Record{};
  }
  if (library_started_) WSACleanup();
  library_started_ = false;
  server_ = false;
  connected_ = false;
  selected_ = -1;
  client_lines_.clear();
}

// Its window stops hearing of the socket before it closes; an event already
// on its way finds no connection and is dropped as late.
void TcpLink::close(UniqueSocket& socket) {
  if (socket.valid()) WSAAsyncSelect(socket.get(), window_, 0, 0);
  socket.reset();
}

bool TcpLink::has_socket() const {
  if (main_.valid()) return true;
  for (int r = 1; r < kServerRecords; ++r)
    if (records_[static_cast<size_t>(r)].in_use()) return true;
  return false;
}

int TcpLink::connection_of(SOCKET socket) const {
  if (socket == INVALID_SOCKET) return -1;
  if (!server_ && socket == main_.get()) return kClientConnection;
  for (int r = 1; r < kServerRecords; ++r)
    if (records_[static_cast<size_t>(r)].socket.get() == socket) return r;
  return -1;
}

SOCKET TcpLink::socket_of(int connection) const {
  if (!server_) return connection == kClientConnection ? main_.get() : INVALID_SOCKET;
  if (connection < 1 || connection >= kServerRecords) return INVALID_SOCKET;
  return records_[static_cast<size_t>(connection)].socket.get();
}

void TcpLink::on_socket_event(SOCKET socket, int event, int error) {
  const int connection = connection_of(socket);
  const bool listening_socket = server_ && socket == main_.get();
  // An event for a socket already closed is late: there is nothing to act on.
  if (connection < 0 && !listening_socket) return;
  // A failed accept is the failure of one caller, not of the listening socket.
  if (error != 0 && event == FD_ACCEPT)
    return report_failed_call(with_code("WINSOCK.DLLの accept() からのエラー。", error));
  if (error != 0) return close_connection(socket, LinkEvent::Kind::failed);
  switch (event) {
    case FD_READ:
      return receive(socket);
    case FD_WRITE:
      if (!flush_outgoing()) close_connection(socket, LinkEvent::Kind::failed);
      return;
    case FD_ACCEPT:
      return accept_clients();
    case FD_CONNECT:
      KillTimer(window_, kTcpConnectTimer.id);
      connected_ = true;
      events_.push(LinkEvent{LinkEvent::Kind::opened, kClientConnection, {}, false});
      return;
    case FD_CLOSE:
      return close_connection(socket, LinkEvent::Kind::closed);
    default:
      events_.push(LinkEvent{LinkEvent::Kind::unknown_socket_event, connection,
                             "ﾈｯﾄﾜｰｸ･ｴﾗｰ(event " + std::to_string(event) + ")"});
  }
}

// Every connection waiting is taken at once: one accept event may stand for
// many (a rack of converters that power up together). The 97th client and
// those after it are accepted and closed at once.
void TcpLink::accept_clients() {
  while (main_.valid() && accept_client()) {
  }
}

// False when nobody waits any more (or accepting failed). A failure is
// posted as a link event, shown once the accepting is over.
bool TcpLink::accept_client() {
  sockaddr_in peer{};
  int length = sizeof peer;
  UniqueSocket client(accept(main_.get(), reinterpret_cast<sockaddr*>(&peer), &length));
  if (!client.valid()) {
    if (WSAGetLastError() != WSAEWOULDBLOCK)
      report_failed_call(with_code("WINSOCK.DLLの accept() からのエラー。", WSAGetLastError()));
    return false;
  }
  const std::string address = inet_ntoa(peer.sin_addr);
  const auto octets = [&peer] {
    const auto* b = reinterpret_cast<const unsigned char*>(&peer.sin_addr);
    return Octets{b[0], b[1], b[2], b[3]};
  };
  if (admits_ && !admits_(octets())) return true;  // closed as `client` goes
  const int free = place_for(address);
  if (free < 0) return true;
  if (WSAAsyncSelect(client.get(), window_, WM_SOCKET_EVENT, kAcceptedEvents) == SOCKET_ERROR) {
    report_failed_call(
        with_code("WINSOCK.DLLの WSAAsyncSelect() からのエラー。", WSAGetLastError()));
    return false;
  }
  Record& record = records_[static_cast<size_t>(free)];
  record.socket = std::move(client);
  record.address = address;
  record.lines.clear();
  events_.push(LinkEvent{LinkEvent::Kind::opened, free, {}, false});
  return true;
}

// A converter that connects again from the address of a place (after a
// reboot, its old connection half-open) takes that place over: the old
// connection is closed, and a picked place stays picked, since it is the
// same converter. Otherwise the first free place; -1 when all 96 are held.
int TcpLink::place_for(const std::string& address) {
  int free = -1;
  for (int r = 1; r < kServerRecords; ++r) {
    Record& record = records_[static_cast<size_t>(r)];
    if (record.in_use() && record.address == address) {
      const bool awaited = awaited_ == r;
      if (awaited) stop_waiting();
      close(record.socket);
      record = Record{};
      events_.push(LinkEvent{LinkEvent::Kind::closed, r, {}, awaited});
      return r;
    }
    if (!record.in_use() && free < 0) free = r;
  }
  return free;
}

// At most one receive buffer a read event; what is left raises another.
// Only the lines of the connection commands go to become link events: a
// converter that speaks unasked cannot answer for another.
void TcpLink::receive(SOCKET socket) {
  char buffer[kReceiveBuffer];
  const int got = recv(socket, buffer, kReceiveBuffer, 0);
  // The peer closed. The client's connection closes at once, so a run in
  // progress ends now. A converter of the server is closed by its close
  // event, which follows: were it closed here, that late event could close
  // whoever the server accepts next under the same socket handle.
  if (got == 0) {
    if (!server_) close_connection(socket, LinkEvent::Kind::closed);
    return;
  }
  if (got < 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) close_connection(socket, LinkEvent::Kind::failed);
    return;
  }
  const int connection = connection_of(socket);
  LineAssembler& lines = server_ ? records_[static_cast<size_t>(connection)].lines : client_lines_;
  const bool commanded = server_ ? connection == selected_ : true;
  for (std::string& line : lines.feed(std::string_view(buffer, static_cast<size_t>(got)))) {
    if (!commanded) continue;
    const bool awaited = awaited_ == connection;
    if (awaited) stop_waiting();
    events_.push(LinkEvent{LinkEvent::Kind::line, connection, std::move(line), awaited});
  }
}

// The peer went, or its socket failed: the connection is closed and its
// record freed before anybody hears of it. A client that was the server's
// target is no longer one, so a command cannot reach whoever takes its
// record next.
void TcpLink::close_connection(SOCKET socket, LinkEvent::Kind why) {
  const int connection = connection_of(socket);
  const bool awaited = awaited_ == connection;
  if (awaited) stop_waiting();
  if (socket == outgoing_socket_) outgoing_.clear();
  if (socket == main_.get()) {
    // A server whose listening socket failed keeps its converters: they are
    // still records, not the client's one connection.
    close(main_);
    if (!server_) {
      connected_ = false;
      KillTimer(window_, kTcpConnectTimer.id);
    }
  } else if (connection > 0) {
    close(records_[static_cast<size_t>(connection)].socket);
    records_[static_cast<size_t>(connection)] = Record{};
    if (selected_ == connection) selected_ = -1;
  }
  events_.push(LinkEvent{why, connection, {}, awaited});
}

bool TcpLink::send(std::string_view bytes) {
  const int connection = server_ ? selected_ : kClientConnection;
  const SOCKET socket = socket_of(connection);
  if (socket == INVALID_SOCKET) return false;
  outgoing_socket_ = socket;
  outgoing_.assign(bytes);
  if (!flush_outgoing()) return false;
  await_reply(connection);
  return true;
}

// Sends what is left of the last command. "Would block" keeps the rest for
// the socket's next write event; false on any other error.
bool TcpLink::flush_outgoing() {
  while (!outgoing_.empty() && outgoing_socket_ != INVALID_SOCKET) {
    const int sent =
        ::send(outgoing_socket_, outgoing_.data(), static_cast<int>(outgoing_.size()), 0);
    if (sent == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return true;
      outgoing_.clear();
      return false;
    }
    outgoing_.erase(0, static_cast<size_t>(sent));
  }
  return true;
}

void TcpLink::report_failed_call(const std::string& text) {
  events_.push(LinkEvent{LinkEvent::Kind::failed_call, -1, text});
}

void TcpLink::await_reply(int connection) {
  awaited_ = connection;
  SetTimer(window_, kTcpReplyTimer.id, kTcpReplyTimer.period_ms, nullptr);
}

void TcpLink::stop_waiting() {
  awaited_.reset();
  if (window_) KillTimer(window_, kTcpReplyTimer.id);
}

void TcpLink::on_reply_timer() {
  const std::optional<int> connection = awaited_;
  stop_waiting();
  if (connection) events_.push(LinkEvent{LinkEvent::Kind::no_answer, *connection, {}, true});
}

std::vector<TcpLink::Client> TcpLink::clients() const {
  std::vector<Client> in_use;
  for (int r = 1; r < kServerRecords; ++r)
    if (records_[static_cast<size_t>(r)].in_use())
      in_use.push_back(Client{r, records_[static_cast<size_t>(r)].address});
  return in_use;
}

std::string TcpLink::selected_address() const {
  if (selected_ < 1 || selected_ >= kServerRecords) return {};
  return records_[static_cast<size_t>(selected_)].address;
}

std::string TcpLink::name_of(int connection) const {
  if (!server_) return host_;
  const int record = connection == kCommandedConnection ? selected_ : connection;
  if (record < 1 || record >= kServerRecords) return {};
  return records_[static_cast<size_t>(record)].address;
}

void TcpLink::pick(int record) {
  const bool in_use =
      record > 0 && record < kServerRecords && records_[static_cast<size_t>(record)].in_use();
  selected_ = in_use ? record : -1;
  if (in_use) connected_ = true;
}

}  // namespace orv::win
