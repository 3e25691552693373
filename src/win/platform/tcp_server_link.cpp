#include "win/platform/tcp_server_link.h"

#include "app/configuration.h"

namespace orv::win {
namespace {

constexpr int kReceiveBuffer = 1024;
constexpr long kListenEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
constexpr long kAcceptedEvents = FD_READ | FD_WRITE | FD_CLOSE;

}  // namespace

bool TcpServerLink::PlaceLink::ready() const {
  return place_ == 0 ? server_->connected_ : server_->places_.in_use(place_);
}

bool TcpServerLink::PlaceLink::send(std::string_view bytes) {
  return server_->send_to(place_ == 0 ? server_->places_.picked() : place_, bytes);
}

std::string TcpServerLink::PlaceLink::name() const {
  return server_->places_.address_of(place_ == 0 ? server_->places_.picked() : place_);
}

TcpServerLink::TcpServerLink(LinkEventQueue& events, ServerPlaces& places)
    : events_(events), places_(places) {
  picked_link_.bind(this, 0);
  for (int p = 1; p <= kServerPlaces; ++p) places_links_[static_cast<size_t>(p)].bind(this, p);
}

bool TcpServerLink::listen_on(std::string_view port_text, const std::string& address_text,
                              const LinkReport& report) {
  if (has_socket()) return true;
  const auto fail = [&](const std::string& text) {
    close_socket(window_, listener_);
    library_.stop();
    report(text);
    return false;
  };
  const auto port = tcp_port(port_text);
  if (!library_.start(report)) return false;
  if (!port) return fail("Bindできません");
  std::string failure;
  listener_ = event_socket(window_, kListenEvents, failure);
  if (!listener_.valid()) return fail(failure);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(*port));
  address.sin_addr.s_addr =
      address_text.empty() ? htonl(INADDR_ANY) : inet_addr(address_text.c_str());
  if (bind(listener_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
          SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK)
    return fail("Bindできません");
  if (listen(listener_.get(), SOMAXCONN) == SOCKET_ERROR)
    return fail(with_code("WINSOCK.DLLの listen() からのエラー。", WSAGetLastError()));
  return true;
}

void TcpServerLink::disconnect_all() {
  close_socket(window_, listener_);
  for (PlaceSocket& connection : connections_) {
    close_socket(window_, connection.socket);
    connection.lines.clear();
    connection.outgoing.clear();
  }
  places_.clear();
  library_.stop();
  connected_ = false;
}

bool TcpServerLink::has_socket() const {
  return listener_.valid() || places_.count() > 0;
}

int TcpServerLink::place_of(SOCKET socket) const {
  if (socket == INVALID_SOCKET) return 0;
  for (int p = 1; p <= kServerPlaces; ++p)
    if (connections_[static_cast<size_t>(p)].socket.get() == socket) return p;
  return 0;
}

bool TcpServerLink::on_socket_event(SOCKET socket, int event, int error) {
  const bool listening = listener_.valid() && socket == listener_.get();
  const int place = place_of(socket);
  // An event for a socket already closed is late: there is nothing to act on.
  if (!listening && place == 0) return false;
  // A failed accept is the failure of one caller, not of the listening socket.
  if (error != 0 && event == FD_ACCEPT) {
    report_failed_call(with_code("WINSOCK.DLLの accept() からのエラー。", error));
    return true;
  }
  if (error != 0) {
    // A server whose listening socket failed keeps its converters.
    if (listening) close_socket(window_, listener_);
    if (place != 0) close_place(place, LinkEvent::Kind::failed);
    if (listening) events_.push(LinkEvent{LinkEvent::Kind::failed, orv::Connection{}, {}});
    return true;
  }
  switch (event) {
    case FD_READ:
      if (place != 0) receive(place);
      break;
    case FD_WRITE:
      if (place != 0 && !connections_[static_cast<size_t>(place)].outgoing.flush(socket))
        close_place(place, LinkEvent::Kind::failed);
      break;
    case FD_ACCEPT:
      accept_converters();
      break;
    case FD_CLOSE:
      if (place != 0) close_place(place, LinkEvent::Kind::closed);
      break;
    default:
      events_.push(LinkEvent{LinkEvent::Kind::unknown_socket_event,
                             orv::Connection::server_place(place),
                             "ﾈｯﾄﾜｰｸ･ｴﾗｰ(event " + std::to_string(event) + ")"});
  }
  return true;
}

// Every connection waiting is taken at once: one accept event may stand for
// many (a rack of converters that power up together). Those the places
// turn away (the 97th and after, or an address not listed) are accepted and
// closed at once.
void TcpServerLink::accept_converters() {
  while (listener_.valid() && accept_one()) {
  }
}

// False when nobody waits any more (or accepting failed). A failure is
// pushed as a link event, shown once the accepting is over.
bool TcpServerLink::accept_one() {
  sockaddr_in peer{};
  int length = sizeof peer;
  UniqueSocket converter(accept(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length));
  if (!converter.valid()) {
    if (WSAGetLastError() != WSAEWOULDBLOCK)
      report_failed_call(with_code("WINSOCK.DLLの accept() からのエラー。", WSAGetLastError()));
    return false;
  }
  const std::string address = inet_ntoa(peer.sin_addr);
  const ServerPlaces::Admission admitted = places_.admit(address);
  if (admitted.place == 0) return true;  // closed as `converter` goes
  PlaceSocket& connection = connections_[static_cast<size_t>(admitted.place)];
  // A converter that connects again from a place's address (after a reboot,
  // its old connection half-open) takes that place over: the old
  // connection goes first, and what waited on it hears so.
  if (admitted.took_over) {
    close_socket(window_, connection.socket);
    events_.push(
        LinkEvent{LinkEvent::Kind::closed, orv::Connection::server_place(admitted.place), {}});
  }
  if (WSAAsyncSelect(converter.get(), window_, WM_SOCKET_EVENT, kAcceptedEvents) == SOCKET_ERROR) {
    places_.leave(admitted.place);
    report_failed_call(
        with_code("WINSOCK.DLLの WSAAsyncSelect() からのエラー。", WSAGetLastError()));
    return false;
  }
  connection.socket = std::move(converter);
  connection.lines.clear();
  connection.outgoing.clear();
  events_.push(
      LinkEvent{LinkEvent::Kind::opened, orv::Connection::server_place(admitted.place), address});
  return true;
}

// At most one receive buffer a read event; what is left raises another. A
// converter that closed is closed by its close event, which follows: were
// it closed here, that late event could close whoever the server accepts
// next under the same socket handle.
void TcpServerLink::receive(int place) {
  PlaceSocket& connection = connections_[static_cast<size_t>(place)];
  char buffer[kReceiveBuffer];
  const int got = recv(connection.socket.get(), buffer, kReceiveBuffer, 0);
  if (got == 0) return;
  if (got < 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) close_place(place, LinkEvent::Kind::failed);
    return;
  }
  for (std::string& line :
       connection.lines.feed(std::string_view(buffer, static_cast<size_t>(got))))
    events_.push(
        LinkEvent{LinkEvent::Kind::line, orv::Connection::server_place(place), std::move(line)});
}

// The converter went, or its socket failed: its connection is closed and
// its place freed before anybody hears of it (a picked place is picked no
// more, so a command cannot reach whoever takes it next).
void TcpServerLink::close_place(int place, LinkEvent::Kind why) {
  PlaceSocket& connection = connections_[static_cast<size_t>(place)];
  close_socket(window_, connection.socket);
  connection.outgoing.clear();
  connection.lines.clear();
  places_.leave(place);
  events_.push(LinkEvent{why, orv::Connection::server_place(place), {}});
}

bool TcpServerLink::send_to(int place, std::string_view bytes) {
  if (!places_.in_use(place)) return false;
  PlaceSocket& connection = connections_[static_cast<size_t>(place)];
  return connection.outgoing.send(connection.socket.get(), bytes);
}

void TcpServerLink::pick(int place) {
  places_.pick(place);
  if (places_.picked() != 0) connected_ = true;
}

void TcpServerLink::report_failed_call(const std::string& text) {
  events_.push(LinkEvent{LinkEvent::Kind::failed_call, orv::Connection{}, text});
}

}  // namespace orv::win
