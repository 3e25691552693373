// The TCP/IP link on Windows Sockets: the client of one converter, or the
// server that up to 96 converters connect to. Socket events arrive as
// window messages at the program's link window, which lives as long as the
// link; each connection cuts its bytes into lines of its own, and only the
// lines of the connection commands go to become link events. A reply is
// awaited through those events with a bounded timer, never by waiting on
// the window thread. A failure met while handling a socket event is posted
// as a link event and shown after, never from inside the handler.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/line_assembler.h"
#include "link/link.h"
#include "link/link_events.h"
#include "protocol/device_settings.h"
#include "win/base/scoped.h"

namespace orv::win {

inline constexpr int kServerRecords = 97;  // record 0 is reserved; 1..96 hold clients

class TcpLink : public Link {
 public:
  explicit TcpLink(LinkEventQueue& events);
  ~TcpLink() override;
  TcpLink(const TcpLink&) = delete;
  TcpLink& operator=(const TcpLink&) = delete;

  // The window that receives the socket events (WM_SOCKET_EVENT) and the
  // reply timer.
  void attach(HWND window) { window_ = window; }

  // How connecting and listening report a failure of their own (the
  // "TREVALIX" boxes), once everything they opened is closed again.
  using Report = std::function<void(const std::string& text)>;

  // Client: starts connecting to `host` at the port of `port_text`; true
  // when the connection stands or is under way (the connect event follows,
  // or a failed one when the converter does not answer within
  // `timeout_ms`).
  bool connect_to(const Octets& host, std::string_view port_text, int timeout_ms,
                  const Report& report);
  // Server: listens on `address` (empty: every local address) at the port.
  // A converter whose address `admits` refuses is closed before it takes a
  // place.
  using Admission = std::function<bool(const Octets& peer)>;
  bool listen_on(std::string_view port_text, const std::string& address, Admission admits,
                 const Report& report);
  // Closes every socket and forgets the connections.
  void disconnect_all();

  void on_socket_event(SOCKET socket, int event, int error);
  void on_reply_timer();
  void on_connect_timer();

  bool ready() const override { return connected_; }
  bool send(std::string_view bytes) override;
  std::string name_of(int connection) const override;

  // What the TCP/IP dialogs show.
  // The client's or the listening socket, or a converter the server took.
  bool has_socket() const;
  bool connected() const { return connected_; }
  bool connecting() const { return !server_ && main_.valid() && !connected_; }
  bool serving() const { return server_; }
  struct Client {
    int record;
    std::string address;
  };
  std::vector<Client> clients() const;  // the records in use, in record order
  int selected_record() const { return selected_; }
  std::string selected_address() const;
  // The server's commands go to `record` from now on (a picked row).
  void pick(int record);

 private:
  struct Record {
    UniqueSocket socket;
    std::string address;
    LineAssembler lines;
    bool in_use() const { return socket.valid(); }
  };

  bool start_library(const Report& report);
  bool make_socket(long events, const Report& report);
  void fail_start(const Report& report, const std::string& text);
  void accept_clients();
  bool accept_client();
  int place_for(const std::string& address);
  bool flush_outgoing();
  void report_failed_call(const std::string& text);
  void close(UniqueSocket& socket);
  void receive(SOCKET socket);
  void close_connection(SOCKET socket, LinkEvent::Kind why);
  int connection_of(SOCKET socket) const;
  SOCKET socket_of(int connection) const;
  void await_reply(int connection);
  void stop_waiting();

  LinkEventQueue& events_;
  HWND window_ = nullptr;
  bool library_started_ = false;
  UniqueSocket main_;  // client: the connection; server: the listening socket
  bool server_ = false;
  bool connected_ = false;  // the TCP-connected flag: commands may go out
  LineAssembler client_lines_;
  std::string host_;  // client: the converter's address
  std::array<Record, kServerRecords> records_{};
  int selected_ = -1;  // server: the record commands go to
  Admission admits_;
  // What Windows Sockets could not take at once ("would block"): the rest
  // of the last command, sent when its socket is writable again.
  SOCKET outgoing_socket_ = INVALID_SOCKET;
  std::string outgoing_;
  std::optional<int> awaited_;  // the connection whose reply is awaited
};

}  // namespace orv::win
