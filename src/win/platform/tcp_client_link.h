// The TCP/IP client: one connection to the converter the host list names.
// Socket events arrive as window messages at the program's link window,
// which lives as long as the link; the connection cuts its bytes into lines
// and pushes each as a link event. A failure met while handling a socket
// event is pushed as a link event and shown after, never from inside the
// handler.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <string>
#include <string_view>

#include "link/line_assembler.h"
#include "link/link.h"
#include "link/link_events.h"
#include "protocol/device_settings.h"
#include "win/platform/winsock.h"

namespace orv::win {

// The client's connection attempt, timed on the link window: its period is
// the configured time-out (connect_timeout_ms).
inline constexpr UINT_PTR kTcpConnectTimerId = 16;

class TcpClientLink : public Link {
 public:
  explicit TcpClientLink(LinkEventQueue& events) : events_(events) {}
  ~TcpClientLink() override { disconnect(); }
  TcpClientLink(const TcpClientLink&) = delete;
  TcpClientLink& operator=(const TcpClientLink&) = delete;

  // The window that receives the socket events and the connect timer.
  void attach(HWND window) { window_ = window; }

  // Starts connecting to `host` at the port of `port_text`; true when the
  // connection stands or is under way (the connect event follows, or a
  // failed one when the converter does not answer within `timeout_ms`).
  bool connect_to(const Octets& host, std::string_view port_text, int timeout_ms,
                  const LinkReport& report);
  // Closes the connection and lets the sockets library go.
  void disconnect();

  // A socket event; false when the socket is not the link's.
  bool on_socket_event(SOCKET socket, int event, int error);
  void on_connect_timer();

  bool ready() const override { return connected_; }
  bool send(std::string_view bytes) override;
  std::string name() const override { return host_; }

  bool has_socket() const { return socket_.valid(); }
  bool connected() const { return connected_; }
  bool connecting() const { return socket_.valid() && !connected_; }

 private:
  void fail_start(const LinkReport& report, const std::string& text);
  void receive();
  void close_connection(LinkEvent::Kind why);

  LinkEventQueue& events_;
  HWND window_ = nullptr;
  WinsockUse library_;
  UniqueSocket socket_;
  bool connected_ = false;  // the TCP-connected flag: commands may go out
  LineAssembler lines_;
  std::string host_;  // the converter's address
  Outgoing outgoing_;
};

}  // namespace orv::win
