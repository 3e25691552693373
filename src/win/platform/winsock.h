// What the TCP/IP client and server links share on Windows Sockets 1.1:
// starting and cleaning up the library, making a socket whose events come
// as window messages, the message texts with their error codes, and the
// bytes of a command that a socket could not take at once.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <functional>
#include <string>
#include <string_view>

#include "win/platform/handles.h"

namespace orv::win {

// The sockets library's connect, accept, read and close events, posted to
// the link event window.
inline constexpr UINT WM_SOCKET_EVENT = WM_USER + 10;

// How connecting and listening report a failure of their own (the
// "TREVALIX" boxes), once everything they opened is closed again.
using LinkReport = std::function<void(const std::string& text)>;

// "WINSOCK.DLLの accept() からのエラー。[10054]".
std::string with_code(const char* text, int code);

// The library as one link uses it: started on connect or listen, cleaned
// up when the link lets go.
class WinsockUse {
 public:
  ~WinsockUse() { stop(); }
  bool start(const LinkReport& report);
  void stop();
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

// A socket whose `events` go to `window` as WM_SOCKET_EVENT; none, with the
// text to report in `failure`, when either step fails.
UniqueSocket event_socket(HWND window, long events, std::string& failure);

// Its window stops hearing of the socket before it closes; an event already
// on its way finds no connection and is dropped as late.
void close_socket(HWND window, UniqueSocket& socket);

// The bytes of a command a socket has yet to take: sent now as far as it
// takes them, the rest when it can write again. False on a failure other
// than "would block".
class Outgoing {
 public:
  bool send(SOCKET socket, std::string_view bytes);
  bool flush(SOCKET socket);
  void clear() { bytes_.clear(); }

 private:
  std::string bytes_;
};

}  // namespace orv::win
