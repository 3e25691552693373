#include "sim_control.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

namespace e2e {
namespace {

struct WinsockStartup {
  WinsockStartup() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};

}  // namespace

SimControl::SimControl(const std::string& endpoint) {
  static WinsockStartup startup;
  const size_t colon = endpoint.rfind(':');
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::stoi(endpoint.substr(colon + 1))));
  inet_pton(AF_INET, endpoint.substr(0, colon).c_str(), &address.sin_addr);
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    throw std::runtime_error("cannot reach the simulator at " + endpoint);
  }
  DWORD timeout = 10000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  socket_ = s;
}

SimControl::~SimControl() {
  closesocket(static_cast<SOCKET>(socket_));
}

std::string SimControl::command(const std::string& line) {
  const std::string text = line + "\n";
  ::send(static_cast<SOCKET>(socket_), text.data(), static_cast<int>(text.size()), 0);
  std::string answer;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      const std::string one = pending_.substr(0, end + 1);
      pending_.erase(0, end + 1);
      answer += one;
      if (one.rfind("OK", 0) == 0 || one.rfind("ERR", 0) == 0) return answer;
      continue;
    }
    char buffer[4096];
    const int n = ::recv(static_cast<SOCKET>(socket_), buffer, sizeof buffer, 0);
    if (n <= 0) throw std::runtime_error("the simulator's control channel closed");
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

std::string SimControl::value(const std::string& line) {
  std::string answer = command(line);
  if (answer.rfind("OK ", 0) != 0) return {};
  answer = answer.substr(3);
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  return answer;
}

std::vector<std::string> SimControl::received(const std::string& unit) {
  const std::string answer = command(unit.empty() ? "log" : "log " + unit);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = answer.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = answer.substr(start, end - start);
    if (line.rfind("OK", 0) == 0) break;
    // "<seconds> <unit> <raw>"
    const size_t first = line.find(' ');
    const size_t second = line.find(' ', first + 1);
    lines.push_back(line.substr(second + 1));
  }
  return lines;
}

void SimControl::reset() {
  command("fault clear");
  command("delay 0");
  command("factory");
}

std::pair<double, double> SimControl::first_and_last(const std::string& bus) {
  const std::string log = command("log " + bus);
  double first = -1, last = -1;
  for (size_t start = 0; start < log.size();) {
    const size_t end = log.find('\n', start);
    const std::string line = log.substr(start, end - start);
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
      last = std::stod(line.substr(0, line.find(' ')));
      if (first < 0) first = last;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {first, last};
}

}  // namespace e2e
