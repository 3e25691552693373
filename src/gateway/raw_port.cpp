#include "gateway/raw_port.h"

#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include <deque>

#include "io/ports.h"

namespace orv::gateway {
namespace {

// A client that does not read what it is sent is closed rather than let
// its replies pile up.
constexpr size_t kMaxUnread = size_t{64} * 1024;

}  // namespace

class RawPort::Client : public std::enable_shared_from_this<RawPort::Client> {
 public:
  Client(RawPort& port, tcp::socket socket)
      : port_(port), socket_(std::move(socket)), idle_(socket_.get_executor()) {}

  void start() {
    error_code ignored;
    socket_.set_option(asio::socket_base::keep_alive(true), ignored);
    std::weak_ptr<Client> self = shared_from_this();
    requester_ = port_.unit_.line->add_requester([self](const Settled& settled) {
      if (const auto client = self.lock()) client->answered(settled);
    });
    read();
  }

  void close() {
    if (closed_) return;
    closed_ = true;
    port_.unit_.line->forget(requester_);
    idle_.cancel();
    error_code ignored;
    socket_.close(ignored);
    port_.clients_.erase(shared_from_this());
  }

 private:
  void read() {
    idle_.expires_after(kIdle);
    idle_.async_wait([self = shared_from_this()](const error_code& failed) {
      if (!failed) self->close();
    });
    socket_.async_read_some(asio::buffer(buffer_),
                            [self = shared_from_this()](const error_code& failed, size_t n) {
                              if (failed) return self->close();
                              self->took(std::string_view(self->buffer_, n));
                              if (!self->closed_) self->read();
                            });
  }

  // Each line goes to the unit, in order; an empty line is nobody's command,
  // and lines beyond the bound (a client that does not wait) are dropped.
  void took(std::string_view bytes) {
    for (const std::string& line : lines_.feed(bytes)) {
      const std::string_view command = without_line_end(line);
      if (command.empty() || waiting_ >= kMaxWaitingLines) continue;
      ++waiting_;
      const Unit& unit = port_.unit_;
      const Instant now = steady_now();
      port_.unit_.line->ask(Request{requester_, std::string(command) + "\r\n", unit.address_field(),
                                    Priority::operator_command, 0,
                                    std::chrono::milliseconds(port_.config_.timeout_ms),
                                    now + kQueueBound, false});
    }
  }

  // A reply goes back as the unit sent it (without its address on a bus);
  // a command that got none gets nothing, as through a converter.
  void answered(const Settled& settled) {
    if (waiting_ > 0) --waiting_;
    if (settled.how != Settled::How::answered || closed_) return;
    unread_ += settled.answer.size();
    if (unread_ > kMaxUnread) return close();
    outgoing_.push_back(settled.answer);
    if (outgoing_.size() == 1) write();
  }

  void write() {
    asio::async_write(socket_, asio::buffer(outgoing_.front()),
                      [self = shared_from_this()](const error_code& failed, size_t n) {
                        if (failed) return self->close();
                        self->unread_ -= std::min(self->unread_, n);
                        self->outgoing_.pop_front();
                        if (!self->outgoing_.empty()) self->write();
                      });
  }

  RawPort& port_;
  tcp::socket socket_;
  asio::steady_timer idle_;
  LineAssembler lines_;
  char buffer_[1024];
  RequesterId requester_ = 0;
  size_t waiting_ = 0;
  size_t unread_ = 0;
  std::deque<std::string> outgoing_;
  bool closed_ = false;
};

RawPort::RawPort(asio::io_context& io, const GatewayConfig& config, Unit& unit)
    : config_(config), unit_(unit), acceptor_(io) {}

RawPort::~RawPort() = default;

bool RawPort::listen(std::string& error) {
  const Endpoint& at = *unit_.config.raw;
  error_code failed;
  const tcp::endpoint endpoint(asio::ip::make_address_v4(at.host, failed),
                               static_cast<unsigned short>(at.port));
  if (!failed) failed = io::listen_at(acceptor_, endpoint);
  if (failed)
    error = "unit " + unit_.config.id + ": raw port " + at.text() + ": " + failed.message();
  return !failed;
}

void RawPort::start() {
  accept();
}

// Anyone on a loopback port; elsewhere only the configured clients; and no
// more than kMaxClients at once.
void RawPort::accept() {
  acceptor_.async_accept([this](const error_code& failed, tcp::socket socket) {
    if (failed == asio::error::operation_aborted) return;
    if (!failed) {
      error_code ignored;
      const std::string address = socket.remote_endpoint(ignored).address().to_string();
      if (config_.admits(*unit_.config.raw, address) && clients_.size() < kMaxClients) {
        auto client = std::make_shared<Client>(*this, std::move(socket));
        clients_.insert(client);
        client->start();
      }
    }
    accept();
  });
}

void RawPort::stop() {
  error_code ignored;
  acceptor_.close(ignored);
  while (!clients_.empty()) (*clients_.begin())->close();
}

}  // namespace orv::gateway
