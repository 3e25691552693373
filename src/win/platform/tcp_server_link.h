// The TCP/IP server: listening for the converters that connect in, and one
// connection for each of the 96 places they take (the rules of the places
// are the core's, link/server_places.h). Socket events arrive as window
// messages at the program's link window; each connection cuts its bytes
// into lines of its own and pushes each as a link event of its place.
// Commands reach a place through its own link, and the operator's through
// the picked place's.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "link/line_assembler.h"
#include "link/link.h"
#include "link/link_events.h"
#include "link/server_places.h"
#include "win/platform/winsock.h"

namespace orv::win {

class TcpServerLink {
 public:
  TcpServerLink(LinkEventQueue& events, ServerPlaces& places);
  ~TcpServerLink() { disconnect_all(); }
  TcpServerLink(const TcpServerLink&) = delete;
  TcpServerLink& operator=(const TcpServerLink&) = delete;

  void attach(HWND window) { window_ = window; }

  // Listens on `address` (empty: every local address) at the port of
  // `port_text`; true when it listens (also when it did already).
  bool listen_on(std::string_view port_text, const std::string& address, const LinkReport& report);
  // Closes every socket, frees every place and lets the sockets library go.
  void disconnect_all();

  // A socket event; false when the socket is none of the link's.
  bool on_socket_event(SOCKET socket, int event, int error);

  // The operator's pick: commands go to `place` (0: none) from now on, and
  // the TCP-connected flag is set once one was picked.
  void pick(int place);

  // The server as the operator's commands see it: ready from the first
  // pick until 切断 (the TCP-connected flag), writing to the picked place.
  Link& picked() { return picked_link_; }
  // One place's connection, for a run of its own.
  Link& place(int place) { return places_links_[static_cast<size_t>(place)]; }

  bool has_socket() const;  // the listening socket, or a converter's
  bool connected() const { return connected_; }

 private:
  class PlaceLink : public Link {
   public:
    PlaceLink() = default;
    void bind(TcpServerLink* server, int place) { server_ = server, place_ = place; }
    bool ready() const override;
    bool send(std::string_view bytes) override;
    std::string name() const override;

   private:
    TcpServerLink* server_ = nullptr;
    int place_ = 0;  // 0: the picked place, whichever it is
  };

  struct PlaceSocket {
    UniqueSocket socket;
    LineAssembler lines;
    Outgoing outgoing;
  };

  void accept_converters();
  bool accept_one();
  void report_failed_call(const std::string& text);
  void receive(int place);
  void close_place(int place, LinkEvent::Kind why);
  int place_of(SOCKET socket) const;
  bool send_to(int place, std::string_view bytes);

  LinkEventQueue& events_;
  ServerPlaces& places_;
  HWND window_ = nullptr;
  WinsockUse library_;
  UniqueSocket listener_;
  bool connected_ = false;  // the TCP-connected flag: set by a pick
  std::array<PlaceSocket, kServerPlaces + 1> connections_{};  // [0] unused
  PlaceLink picked_link_;
  std::array<PlaceLink, kServerPlaces + 1> places_links_{};
};

}  // namespace orv::win
