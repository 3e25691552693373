#include "server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace sim {
namespace {

constexpr Millis kConnectRetryMs = 500;

void set_nonblocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

sockaddr_in address_of(const Endpoint& e) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(e.port));
  inet_pton(AF_INET, e.host.c_str(), &a.sin_addr);
  return a;
}

std::string endpoint_text(const Endpoint& e) {
  return e.host + ":" + std::to_string(e.port);
}

int listen_on(const Endpoint& e, std::string& error) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const sockaddr_in a = address_of(e);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 256) != 0) {
    error = "cannot listen on " + endpoint_text(e) + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  set_nonblocking(fd);
  return fd;
}

// Writes what is due; keeps what the descriptor cannot take yet.
bool flush_due(int fd, Link& link, Millis now) {
  while (!link.outgoing.empty() && link.outgoing.front().due_ms <= now) {
    std::string& bytes = link.outgoing.front().bytes;
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    bytes.erase(0, static_cast<size_t>(n));
    if (bytes.empty()) link.outgoing.pop_front();
  }
  return true;
}

}  // namespace

struct Server::State {
  enum class Kind { pty, listener, tcp_link, converter, control_listener, control_client };
  enum class ConverterState { waiting, connecting, connected, closed };

  struct Channel {
    Kind kind;
    int fd = -1;
    std::unique_ptr<Link> link;  // pty, tcp_link, converter
    std::string name;
    ConverterState converter_state = ConverterState::waiting;
    Millis retry_at = 0;        // converter: next attempt; listener: accept again
    std::string input;          // control client: partial line
    std::string output;         // control client: unsent answer
    bool input_closed = false;  // control client: answer what is left, then close
  };

  State(const Options& o, Simulator& s) : options(o), simulator(s) {}

  const Options& options;
  Simulator& simulator;
  std::vector<std::unique_ptr<Channel>> channels;
  std::string pty_slave_name;
  int pty_slave_fd = -1;
  int tcp_links_made = 0;

  Millis now() const { return simulator.clock().now_ms(); }

  Channel& add(Kind kind, int fd, std::string name) {
    auto channel = std::make_unique<Channel>();
    channel->kind = kind;
    channel->fd = fd;
    channel->name = std::move(name);
    channels.push_back(std::move(channel));
    return *channels.back();
  }

  std::string open_pty() {
    Channel& c = add(Kind::pty, -1, "serial");  // its descriptor is closed by ~Server
    c.link =
        std::make_unique<Link>("serial", simulator.main_bus(), options.line == LineKind::rs485);
    return plug_pty(c);
  }

  // A new pseudo-terminal for the serial channel, symlinked at the path.
  std::string plug_pty(Channel& c) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
      const std::string reason =
          std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
      if (master >= 0) ::close(master);
      return reason;
    }
    pty_slave_name = ::ptsname(master);
    c.fd = master;
    // Holding the slave open keeps the master readable while the program
    // has not opened the port yet, or has closed it.
    pty_slave_fd = ::open(pty_slave_name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (pty_slave_fd < 0 || tcgetattr(pty_slave_fd, &t) != 0)
      return "cannot open " + pty_slave_name + ": " + std::strerror(errno);
    cfmakeraw(&t);
    tcsetattr(pty_slave_fd, TCSANOW, &t);
    std::error_code ec;
    const std::filesystem::path link_path = options.pty_path;
    if (std::filesystem::is_symlink(link_path, ec))
      std::filesystem::remove(link_path, ec);
    else if (std::filesystem::exists(link_path, ec))
      return options.pty_path + " exists and is not a symlink";
    std::filesystem::create_symlink(pty_slave_name, link_path, ec);
    if (ec) return "cannot create " + options.pty_path + ": " + ec.message();
    set_nonblocking(master);
    return {};
  }

  // The adapter pulled out: the pseudo-terminal hangs up and its path goes;
  // `plug` puts a new one at the same path, as a restarted simulator would.
  std::string unplug_or_plug(bool plug) {
    for (auto& c : channels) {
      if (c->kind != Kind::pty) continue;
      if (plug == (c->fd >= 0))
        return std::string("ERR the serial line is ") + (plug ? "plugged\n" : "unplugged\n");
      if (plug) {
        const std::string error = plug_pty(*c);
        return error.empty() ? "OK\n" : "ERR " + error + "\n";
      }
      ::close(c->fd);
      c->fd = -1;
      if (pty_slave_fd >= 0) ::close(pty_slave_fd);
      pty_slave_fd = -1;
      std::error_code ec;
      std::filesystem::remove(options.pty_path, ec);
      return "OK\n";
    }
    return "ERR no serial line\n";
  }

  // Converter N connects from 127.0.1.N when the program is on loopback, so
  // that the program's client list tells the converters apart.
  void bind_source(Channel& c) {
    const int n = std::atoi(c.name.c_str() + 1);
    if (!is_loopback(*options.connect) || n < 1 || n > 254) return;
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = htonl(0x7F000100u | static_cast<uint32_t>(n));
    ::bind(c.fd, reinterpret_cast<const sockaddr*>(&source), sizeof source);
  }

  void start_connect(Channel& c) {
    c.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    set_nonblocking(c.fd);
    bind_source(c);
    const sockaddr_in a = address_of(*options.connect);
    const int result = ::connect(c.fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    if (result == 0) {
      c.converter_state = ConverterState::connected;
    } else if (errno == EINPROGRESS) {
      c.converter_state = ConverterState::connecting;
    } else {
      ::close(c.fd);
      c.fd = -1;
      c.converter_state = ConverterState::waiting;
      c.retry_at = now() + kConnectRetryMs;
    }
  }

  void close_channel(Channel& c, ConverterState after = ConverterState::closed) {
    if (c.fd >= 0) ::close(c.fd);
    c.fd = -1;
    if (c.link) {
      c.link->outgoing.clear();
      c.link->splitter = LineSplitter{};
      c.link->busy_until = 0;
    }
    c.converter_state = after;
    c.retry_at = now() + kConnectRetryMs;
  }

  std::string drop(const std::string& which) {
    int dropped = 0;
    for (auto& c : channels) {
      const bool tcp = c->kind == Kind::tcp_link || c->kind == Kind::converter;
      const bool match = which == "all"      ? (tcp || c->kind == Kind::pty)
                         : which == "tcp"    ? tcp
                         : which == "serial" ? c->kind == Kind::pty
                                             : c->name == which;
      // A converter still trying to connect stops trying too.
      const bool waiting =
          c->kind == Kind::converter && c->converter_state != ConverterState::closed;
      if (!match || (c->fd < 0 && !waiting) || c->kind == Kind::pty) continue;
      close_channel(*c);  // removed by the poll loop once it is done with the channel
      ++dropped;
    }
    return "OK dropped " + std::to_string(dropped) + "\n";
  }

  std::string reconnect(const std::string& which) {
    int restarted = 0;
    for (auto& c : channels) {
      if (c->kind != Kind::converter || (which != "all" && c->name != which)) continue;
      if (c->converter_state != ConverterState::closed) continue;
      c->converter_state = ConverterState::waiting;
      c->retry_at = now();
      ++restarted;
    }
    return "OK " + std::to_string(restarted) + "\n";
  }

  std::string list() {
    std::string out;
    int count = 0;
    for (auto& c : channels) {
      if (!c->link) continue;
      const char* state = c->fd >= 0 ? "open" : "closed";
      if (c->kind == Kind::converter) {
        state = c->converter_state == ConverterState::connected    ? "connected"
                : c->converter_state == ConverterState::connecting ? "connecting"
                : c->converter_state == ConverterState::waiting    ? "waiting"
                                                                   : "closed";
      }
      out += c->name + " " + state + "\n";
      ++count;
    }
    return out + "OK " + std::to_string(count) + "\n";
  }

  std::string send_raw(const std::string& which, const std::string& bytes) {
    for (auto& c : channels) {
      if (!c->link || c->name != which) continue;
      if (c->fd < 0) return "ERR " + which + " is closed\n";
      c->link->outgoing.push_back(Outgoing{now(), bytes});
      return "OK " + std::to_string(bytes.size()) + "\n";
    }
    return "ERR no link " + which + "\n";
  }

  void remove_closed_tcp_links() {
    std::erase_if(channels, [](const std::unique_ptr<Channel>& c) {
      return (c->kind == Kind::tcp_link || c->kind == Kind::control_client) && c->fd < 0;
    });
  }

  void accept_on(Channel& listener) {
    for (;;) {
      const int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        // Out of descriptors: the connection stays pending; look again later
        // instead of spinning on a listener that stays readable.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
          listener.retry_at = now() + 100;
        return;
      }
      const int yes = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      if (listener.kind == Kind::control_listener) {
        add(Kind::control_client, fd, "control");
      } else {
        const std::string name = "tcp" + std::to_string(++tcp_links_made);
        Channel& c = add(Kind::tcp_link, fd, name);
        c.link = std::make_unique<Link>(name, simulator.main_bus(), false);
      }
    }
  }

  void read_link(Channel& c) {
    char buffer[4096];
    const ssize_t n = ::read(c.fd, buffer, sizeof buffer);
    if (n > 0) {
      simulator.receive(*c.link, std::string_view(buffer, static_cast<size_t>(n)));
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR && c.kind != Kind::pty)) {
      if (c.kind != Kind::pty) close_channel(c);
    }
  }

  void read_control(Channel& c) {
    char buffer[4096];
    const ssize_t n = ::read(c.fd, buffer, sizeof buffer);
    if (n == 0) {
      c.input_closed = true;
      if (c.output.empty()) close_channel(c);
      return;
    }
    if (n < 0) {
      if (errno != EAGAIN && errno != EINTR) close_channel(c);
      return;
    }
    c.input.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = c.input.find('\n')) != std::string::npos;) {
      std::string line = c.input.substr(0, end);
      c.input.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) c.output += simulator.control(line);
    }
    if (c.input.size() > 65536) close_channel(c);
  }

  void write_control(Channel& c) {
    if (c.output.empty() || c.fd < 0) return;
    const ssize_t n = ::write(c.fd, c.output.data(), c.output.size());
    if (n > 0)
      c.output.erase(0, static_cast<size_t>(n));
    else if (errno != EAGAIN && errno != EINTR)
      close_channel(c);
    if (c.fd >= 0 && c.input_closed && c.output.empty()) close_channel(c);
  }

  void check_connect(Channel& c) {
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
      close_channel(c, ConverterState::waiting);
      return;
    }
    c.converter_state = ConverterState::connected;
    if (simulator.trace) simulator.trace(c.name + " connected");
  }
};

Server::Server(const Options& options, Simulator& simulator)
    : state_(std::make_unique<State>(options, simulator)) {
  simulator.drop_links = [this](const std::string& w) { return state_->drop(w); };
  simulator.reconnect_links = [this](const std::string& w) { return state_->reconnect(w); };
  simulator.list_links = [this] { return state_->list(); };
  simulator.plug_serial = [this](bool plug) { return state_->unplug_or_plug(plug); };
  simulator.send_raw = [this](const std::string& link, const std::string& bytes) {
    return state_->send_raw(link, bytes);
  };
}

Server::~Server() {
  for (auto& c : state_->channels)
    if (c->fd >= 0) ::close(c->fd);
  if (state_->pty_slave_fd >= 0) ::close(state_->pty_slave_fd);
  if (!state_->options.pty_path.empty() && !state_->pty_slave_name.empty()) {
    std::error_code ec;
    if (std::filesystem::is_symlink(state_->options.pty_path, ec))
      std::filesystem::remove(state_->options.pty_path, ec);
  }
}

std::string Server::open() {
  State& s = *state_;
  std::string error;
  if (s.options.control) {
    const int fd = listen_on(*s.options.control, error);
    if (fd < 0) return error;
    s.add(State::Kind::control_listener, fd, "control");
  }
  if (s.options.listen) {
    const int fd = listen_on(*s.options.listen, error);
    if (fd < 0) return error;
    s.add(State::Kind::listener, fd, "listen");
  }
  if (!s.options.pty_path.empty()) {
    error = s.open_pty();
    if (!error.empty()) return error;
  }
  if (s.options.connect) {
    for (int i = 1; i <= s.options.converters; ++i) {
      const std::string name = "c" + std::to_string(i);
      State::Channel& c = s.add(State::Kind::converter, -1, name);
      c.link = std::make_unique<Link>(name, *s.simulator.find_bus(name), false);
      s.start_connect(c);
    }
  }
  return {};
}

std::string Server::describe() const {
  const Options& o = state_->options;
  std::string text = std::string(o.line == LineKind::rs485 ? "rs485" : "rs232c") + ", " +
                     (o.model == Model::orvellan ? "orvellan" : "tarquine") + ", " +
                     std::to_string(state_->simulator.main_bus().unit_count()) + " unit(s)";
  if (!o.pty_path.empty()) text += "; pty " + o.pty_path + " -> " + state_->pty_slave_name;
  if (o.listen) text += "; listening on " + endpoint_text(*o.listen);
  if (o.connect)
    text += "; " + std::to_string(o.converters) + " converter(s) to " + endpoint_text(*o.connect);
  if (o.control) text += "; control on " + endpoint_text(*o.control);
  return text;
}

void Server::run(const volatile std::sig_atomic_t& stop) {
  State& s = *state_;
  while (!stop) {
    const Millis now = s.now();
    Millis wait = 200;
    std::vector<pollfd> fds;
    std::vector<State::Channel*> owners;
    for (auto& c : s.channels) {
      if (c->kind == State::Kind::converter &&
          c->converter_state == State::ConverterState::waiting) {
        if (c->retry_at <= now)
          s.start_connect(*c);
        else
          wait = std::min(wait, c->retry_at - now);
      }
      if (c->fd < 0) continue;
      const bool listener =
          c->kind == State::Kind::listener || c->kind == State::Kind::control_listener;
      if (listener && c->retry_at > now) {
        wait = std::min(wait, c->retry_at - now);
        continue;
      }
      short events = c->input_closed ? 0 : POLLIN;
      if (c->link) {
        const Millis next_arrival = s.simulator.act_on_arrived(*c->link);
        if (next_arrival > 0) wait = std::min(wait, std::max<Millis>(next_arrival - now, 0));
      }
      if (c->link && !c->link->outgoing.empty()) {
        const Millis due = c->link->outgoing.front().due_ms;
        if (due <= now)
          events |= POLLOUT;
        else
          wait = std::min(wait, due - now);
      }
      if (c->kind == State::Kind::control_client && !c->output.empty()) events |= POLLOUT;
      if (c->kind == State::Kind::converter &&
          c->converter_state == State::ConverterState::connecting)
        events = POLLOUT;
      fds.push_back(pollfd{c->fd, events, 0});
      owners.push_back(c.get());
    }
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(std::max<Millis>(wait, 0)));
    if (ready < 0 && errno != EINTR) break;
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
      State::Channel& c = *owners[i];
      const short revents = fds[i].revents;
      if (revents == 0 || c.fd < 0) continue;
      switch (c.kind) {
        case State::Kind::listener:
        case State::Kind::control_listener:
          s.accept_on(c);
          break;
        case State::Kind::control_client:
          if (revents & (POLLIN | POLLHUP | POLLERR)) s.read_control(c);
          s.write_control(c);
          break;
        case State::Kind::converter:
          if (c.converter_state == State::ConverterState::connecting) {
            s.check_connect(c);
            break;
          }
          [[fallthrough]];
        case State::Kind::pty:
        case State::Kind::tcp_link:
          if (revents & (POLLIN | POLLHUP | POLLERR)) s.read_link(c);
          break;
      }
    }
    const Millis after = s.now();
    for (auto& c : s.channels)
      if (c->link && c->fd >= 0 && !flush_due(c->fd, *c->link, after) &&
          c->kind != State::Kind::pty)
        s.close_channel(*c);
    s.remove_closed_tcp_links();
  }
}

}  // namespace sim
