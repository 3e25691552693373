#include "win/platform/winsock.h"

namespace orv::win {

std::string with_code(const char* text, int code) {
  return std::string(text) + "[" + std::to_string(code) + "]";
}

bool WinsockUse::start(const LinkReport& report) {
  if (started_) return true;
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
  started_ = true;
  return true;
}

void WinsockUse::stop() {
  if (started_) WSACleanup();
  started_ = false;
}

UniqueSocket event_socket(HWND window, long events, std::string& failure) {
  UniqueSocket made(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!made.valid()) {
    failure = with_code("WINSOCK.DLLが動作していません。", WSAGetLastError());
    return {};
  }
  if (WSAAsyncSelect(made.get(), window, WM_SOCKET_EVENT, events) == SOCKET_ERROR) {
    failure = with_code("WINSOCK.DLLの WSAAsyncSelect() からのエラー。", WSAGetLastError());
    made.reset();
  }
  return made;
}

void close_socket(HWND window, UniqueSocket& socket) {
  if (socket.valid()) WSAAsyncSelect(socket.get(), window, 0, 0);
  socket.reset();
}

bool Outgoing::send(SOCKET socket, std::string_view bytes) {
  bytes_.assign(bytes);
  return flush(socket);
}

bool Outgoing::flush(SOCKET socket) {
  while (!bytes_.empty() && socket != INVALID_SOCKET) {
    const int sent = ::send(socket, bytes_.data(), static_cast<int>(bytes_.size()), 0);
    if (sent == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return true;
      bytes_.clear();
      return false;
    }
    bytes_.erase(0, static_cast<size_t>(sent));
  }
  return true;
}

}  // namespace orv::win
