#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "cli/ports.h"

namespace orv::cli {
namespace {

std::string last_error(const std::string& what, DWORD code) {
  return what + ": error " + std::to_string(code);
}

class ComPort : public LinePort {
 public:
  ComPort(HANDLE handle, std::string name) : handle_(handle), name_(std::move(name)) {}
  ~ComPort() override { CloseHandle(handle_); }
  ComPort(const ComPort&) = delete;
  ComPort& operator=(const ComPort&) = delete;

  bool ready() const override { return true; }
  std::string name() const override { return name_; }

  // A write that has not gone out in its time (10 ms a byte covers 1200
  // baud, and a second more) fails.
  bool send(std::string_view bytes) override {
    COMMTIMEOUTS timeouts{};
    GetCommTimeouts(handle_, &timeouts);
    timeouts.WriteTotalTimeoutMultiplier = 10;
    timeouts.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(handle_, &timeouts);
    DWORD written = 0;
    return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  // Returns with the first bytes that arrive, or when the time is up.
  bool receive(std::string& bytes, int timeout_ms, std::string& error) override {
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, static_cast<DWORD>(timeout_ms), 0, 0};
    SetCommTimeouts(handle_, &timeouts);
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(handle_, buffer, sizeof buffer, &read, nullptr))
      return error = last_error("ReadFile", GetLastError()), false;
    bytes.append(buffer, read);
    return true;
  }

 private:
  HANDLE handle_;
  std::string name_;
};

class SocketPort : public LinePort {
 public:
  SocketPort(SOCKET socket, std::string name) : socket_(socket), name_(std::move(name)) {}
  ~SocketPort() override {
    closesocket(socket_);
    WSACleanup();
  }
  SocketPort(const SocketPort&) = delete;
  SocketPort& operator=(const SocketPort&) = delete;

  bool ready() const override { return true; }
  std::string name() const override { return name_; }

  bool send(std::string_view bytes) override {
    while (!bytes.empty()) {
      const int n = ::send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  bool receive(std::string& bytes, int timeout_ms, std::string& error) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, &wait);
    if (ready < 0) return error = last_error("select", WSAGetLastError()), false;
    if (ready == 0) return true;
    char buffer[4096];
    const int n = recv(socket_, buffer, sizeof buffer, 0);
    if (n < 0) return error = last_error("recv", WSAGetLastError()), false;
    if (n == 0) return error = "the connection was closed", false;
    bytes.append(buffer, static_cast<size_t>(n));
    return true;
  }

 private:
  SOCKET socket_;
  std::string name_;
};

// "COM10" and above need the device namespace; it works for every port.
std::wstring device_path(const std::string& device) {
  std::wstring path = L"\\\\.\\";
  for (char c : device) path += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return device.rfind("\\\\.\\", 0) == 0 ? path.substr(4) : path;
}

}  // namespace

std::unique_ptr<LinePort> open_serial_port(const std::string& device, int baud, std::string&,
                                           std::string& error) {
  HANDLE handle = CreateFileW(device_path(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return error = last_error(device, GetLastError()), nullptr;
  auto port = std::make_unique<ComPort>(handle, device);
  DCB line{};
  line.DCBlength = sizeof line;
  if (!GetCommState(handle, &line)) return error = device + " is not a serial port", nullptr;
  line.BaudRate = static_cast<DWORD>(baud);
  line.ByteSize = 8;
  line.Parity = EVENPARITY;
  line.StopBits = ONESTOPBIT;
  line.fBinary = TRUE;
  line.fParity = TRUE;
  // Whatever handshake the last program left on the port is switched off:
  // a line whose CTS is not wired must not hold a write for ever, and a
  // parity error must not stop every later read.
  line.fOutxCtsFlow = FALSE;
  line.fOutxDsrFlow = FALSE;
  line.fOutX = FALSE;
  line.fInX = FALSE;
  line.fDtrControl = DTR_CONTROL_ENABLE;
  line.fRtsControl = RTS_CONTROL_ENABLE;
  line.fAbortOnError = FALSE;
  if (!SetCommState(handle, &line))
    return error =
               last_error(device + ": cannot set 8E1 at " + std::to_string(baud), GetLastError()),
           nullptr;
  // A late reply of an aborted run, or a line of another device, must not
  // be taken for the answer to the first command.
  PurgeComm(handle, PURGE_RXCLEAR);
  return port;
}

std::unique_ptr<LinePort> open_tcp_port(const std::string& host_port, int timeout_ms,
                                        std::string& error) {
  std::string host, service;
  if (!split_host_port(host_port, host, service))
    return error = "\"" + host_port + "\" is not HOST:PORT", nullptr;
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return error = "Winsock does not start", nullptr;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
    WSACleanup();
    return error = "cannot resolve " + host, nullptr;
  }
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  auto port = std::make_unique<SocketPort>(s, host_port);
  u_long non_blocking = 1;
  ioctlsocket(s, FIONBIO, &non_blocking);
  connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen));
  freeaddrinfo(found);
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  if (select(0, nullptr, &writable, &failed, &wait) != 1 || !FD_ISSET(s, &writable))
    return error = host_port + ": no connection", nullptr;
  non_blocking = 0;
  ioctlsocket(s, FIONBIO, &non_blocking);
  return port;
}

std::optional<std::vector<AcceptedConverter>> accept_converters(const std::string& host_port,
                                                                int count, int wait_ms,
                                                                std::string& error) {
  std::string host, service;
  if (!split_host_port(host_port, host, service))
    return error = "\"" + host_port + "\" is not HOST:PORT", std::nullopt;
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return error = "Winsock does not start", std::nullopt;
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<u_short>(std::stoi(service)));
  at.sin_addr.s_addr = inet_addr(host.c_str());
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
  if (bind(listener, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
      listen(listener, SOMAXCONN) != 0) {
    error = last_error(host_port, WSAGetLastError());
    closesocket(listener);
    WSACleanup();
    return std::nullopt;
  }
  std::vector<AcceptedConverter> accepted;
  const DWORD started = GetTickCount();
  while (static_cast<int>(accepted.size()) < count) {
    const int left = wait_ms - static_cast<int>(GetTickCount() - started);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener, &readable);
    timeval wait{left / 1000, (left % 1000) * 1000};
    if (left <= 0 || select(0, &readable, nullptr, nullptr, &wait) != 1) break;
    sockaddr_in peer{};
    int size = sizeof peer;
    const SOCKET s = accept(listener, reinterpret_cast<sockaddr*>(&peer), &size);
    if (s == INVALID_SOCKET) continue;
    WSADATA more{};
    WSAStartup(MAKEWORD(2, 2), &more);  // each port ends its own use of Winsock
    const std::string address = inet_ntoa(peer.sin_addr);
    accepted.push_back({address, std::make_unique<SocketPort>(s, address)});
  }
  closesocket(listener);
  WSACleanup();
  return accepted;
}

}  // namespace orv::cli
