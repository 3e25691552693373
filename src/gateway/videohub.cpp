#include "gateway/videohub.h"

#include <boost/asio/write.hpp>

#include <deque>
#include <map>
#include <numeric>

#include "gateway/labels.h"
#include "io/ports.h"

namespace orv::gateway {
namespace {

using boost::asio::ip::tcp;
namespace asio = boost::asio;

// A client that does not read what it is sent is closed rather than let
// the changes pile up.
constexpr size_t kMaxUnread = size_t{256} * 1024;

std::vector<int> every(int count) {
  std::vector<int> all(static_cast<size_t>(count));
  std::iota(all.begin(), all.end(), 0);
  return all;
}

// A stable twelve-digit identity from the unit's id, so that a panel that
// remembers its routers knows this one again.
std::string unique_id(const std::string& id) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : id) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  static const char digits[] = "0123456789ABCDEF";
  std::string text(12, '0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = digits[(hash >> (4 * i)) & 0xF];
  return text;
}

// "N REST": a number below `limit` and what follows its blank.
std::optional<std::pair<int, std::string>> numbered_line(const std::string& line, int limit) {
  const size_t blank = line.find(' ');
  const std::string number = line.substr(0, blank);
  if (number.empty() || number.size() > 3 ||
      number.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int value = std::stoi(number);
  if (value >= limit) return std::nullopt;
  return std::pair{value, blank == std::string::npos ? std::string() : line.substr(blank + 1)};
}

const std::string kAck = "ACK\n\n";
const std::string kNak = "NAK\n\n";

}  // namespace

std::vector<VideohubBlock> VideohubReader::feed(std::string_view bytes) {
  std::vector<VideohubBlock> blocks;
  for (const char c : bytes) {
    if (refused_) return {};
    if (c != '\n') {
      if (line_.size() >= kLongestLine) refused_ = true;
      line_ += c;
      continue;
    }
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    if (!block_) {
      // A block begins with its header; stray blank lines are passed over.
      if (!line_.empty()) {
        const std::string header = line_.back() == ':' ? line_.substr(0, line_.size() - 1) : line_;
        block_ = VideohubBlock{header, {}};
      }
    } else if (line_.empty()) {
      blocks.push_back(std::move(*block_));
      block_.reset();
    } else if (block_->lines.size() >= kMostLines) {
      refused_ = true;
    } else {
      block_->lines.push_back(line_);
    }
    line_.clear();
  }
  return refused_ ? std::vector<VideohubBlock>{} : blocks;
}

std::string videohub_device_block(const UnitService& unit) {
  return "VIDEOHUB DEVICE:\n"
         "Device present: " +
         std::string(unit.online() ? "true" : "false") +
         "\n"
         "Model name: " +
         (unit.unit().config.model == kModelTarquine ? "TARQUINE" : "ORVELLAN") +
         "\n"
         "Friendly name: " +
         unit.unit().config.name +
         "\n"
         "Unique ID: " +
         unique_id(unit.id()) +
         "\n"
         "Video inputs: " +
         std::to_string(unit.inputs()) +
         "\n"
         "Video processing units: 0\n"
         "Video outputs: " +
         std::to_string(kOutputCount) +
         "\n"
         "Video monitoring outputs: 0\n"
         "Serial ports: 0\n\n";
}

// Only the outputs whose input is known: before the first poll has
// answered there is nothing to tell.
std::string videohub_routing_block(const UnitService& unit, const std::vector<int>& outputs) {
  std::string block = "VIDEO OUTPUT ROUTING:\n";
  for (const int output : outputs)
    if (const int input = unit.shown_input(output); input >= 0)
      block += std::to_string(output) + " " + std::to_string(input) + "\n";
  return block + "\n";
}

std::string videohub_input_labels_block(const UnitService& unit, const std::vector<int>& inputs) {
  std::string block = "INPUT LABELS:\n";
  for (const int input : inputs) {
    const auto& labels = unit.labels();
    block +=
        std::to_string(input) + " " +
        (static_cast<size_t>(input) < labels.size() ? labels[static_cast<size_t>(input)] : "") +
        "\n";
  }
  return block + "\n";
}

std::string videohub_locks_block(const UnitService& unit, int client,
                                 const std::vector<int>& outputs) {
  std::string block = "VIDEO OUTPUT LOCKS:\n";
  for (const int output : outputs) {
    const int holder = unit.lock_holder(output);
    block += std::to_string(output) + (holder == 0 ? " U\n" : holder == client ? " O\n" : " L\n");
  }
  return block + "\n";
}

std::string videohub_dump(const UnitService& unit, int client) {
  std::string output_labels = "OUTPUT LABELS:\n";
  for (int output = 0; output < kOutputCount; ++output)
    output_labels +=
        std::to_string(output) + " " + unit.output_labels()[static_cast<size_t>(output)] + "\n";
  return "PROTOCOL PREAMBLE:\nVersion: 2.3\n\n" + videohub_device_block(unit) +
         videohub_input_labels_block(unit, every(unit.inputs())) + output_labels + "\n" +
         videohub_locks_block(unit, client, every(kOutputCount)) +
         videohub_routing_block(unit, every(kOutputCount)) + "END PRELUDE:\n\n";
}

class VideohubPort::Client : public std::enable_shared_from_this<VideohubPort::Client> {
 public:
  Client(VideohubPort& port, tcp::socket socket) : port_(port), socket_(std::move(socket)) {}

  void start() {
    error_code ignored;
    socket_.set_option(asio::socket_base::keep_alive(true), ignored);
    std::weak_ptr<Client> self = shared_from_this();
    watcher_ = unit().watch([self](UnitService::Change change, const std::vector<int>& which) {
      if (const auto client = self.lock()) client->changed(change, which);
    });
    send(videohub_dump(unit(), id_));
    read();
  }

  void close() {
    if (closed_) return;
    closed_ = true;
    unit().unwatch(watcher_);
    unit().release_locks(id_);
    error_code ignored;
    socket_.close(ignored);
    port_.clients_.erase(shared_from_this());
  }

 private:
  UnitService& unit() { return port_.unit_; }

  void read() {
    socket_.async_read_some(asio::buffer(buffer_),
                            [self = shared_from_this()](const error_code& failed, size_t n) {
                              if (failed) return self->close();
                              self->took(std::string_view(self->buffer_, n));
                              if (!self->closed_) self->read();
                            });
  }

  void took(std::string_view bytes) {
    for (const VideohubBlock& block : reader_.feed(bytes)) answer(block);
    if (reader_.refused()) close();
  }

  void answer(const VideohubBlock& block) {
    const std::string& h = block.header;
    const bool asks_state = block.lines.empty();
    if (h == "PING") return send(kAck);
    if (h == "VIDEO OUTPUT ROUTING")
      return asks_state ? send(kAck + videohub_routing_block(unit(), every(kOutputCount)))
                        : take_routes(block.lines);
    if (h == "VIDEO OUTPUT LOCKS")
      return asks_state ? send(kAck + videohub_locks_block(unit(), id_, every(kOutputCount)))
                        : take_locks(block.lines);
    if (h == "INPUT LABELS")
      return asks_state ? send(kAck + videohub_input_labels_block(unit(), every(unit().inputs())))
                        : take_labels(block.lines);
    if (h == "VIDEOHUB DEVICE" && asks_state) return send(kAck + videohub_device_block(unit()));
    if (h == "PROTOCOL PREAMBLE" && asks_state)
      return send(kAck + "PROTOCOL PREAMBLE:\nVersion: 2.3\n\n");
    // The output labels are the gateway's configuration, and nothing else
    // here can be set.
    send(kNak);
  }

  // Every route checked before any is carried out: an output or input out
  // of range, or an output another client has locked, refuses the block.
  void take_routes(const std::vector<std::string>& lines) {
    std::map<int, int> routes;  // a later line for the same output wins
    for (const std::string& line : lines) {
      const auto route = numbered_line(line, kOutputCount);
      const auto input = route ? numbered_line(route->second, unit().inputs()) : std::nullopt;
      if (!input || !input->second.empty()) return send(kNak);
      const int holder = unit().lock_holder(route->first);
      if (holder != 0 && holder != id_) return send(kNak);
      routes[route->first] = input->first;
    }
    send(kAck);
    std::map<int, int> asked;
    std::vector<int> outputs;
    for (const auto& [output, input] : routes) {
      const bool already = unit().shown_input(output) == input &&
                           unit().switching_pattern(output) < 0 && unit().pattern() == kFreeLayout;
      if (already) {
        send(videohub_routing_block(unit(), {output}));
      } else {
        asked[output] = input;
        outputs.push_back(output);
      }
    }
    if (asked.empty()) return;
    std::weak_ptr<Client> self = shared_from_this();
    unit().route(asked, [self, outputs](const Outcome& outcome) {
      const auto client = self.lock();
      if (client && !outcome.ok()) client->send(videohub_routing_block(client->unit(), outputs));
    });
  }

  // A lock another client holds stays its; the client is told so.
  void take_locks(const std::vector<std::string>& lines) {
    std::vector<std::pair<int, char>> asked;
    for (const std::string& line : lines) {
      const auto lock = numbered_line(line, kOutputCount);
      if (!lock || lock->second.size() != 1 || lock->second.find_first_of("OUF") != 0)
        return send(kNak);
      asked.emplace_back(lock->first, lock->second[0]);
    }
    send(kAck);
    std::vector<int> refused;
    for (const auto& [output, what] : asked) {
      const bool done = what == 'O'   ? unit().lock(output, id_)
                        : what == 'U' ? unit().unlock(output, id_)
                                      : (unit().force_unlock(output), true);
      if (!done) refused.push_back(output);
    }
    if (!refused.empty()) send(videohub_locks_block(unit(), id_, refused));
  }

  // Each label must be a title the unit can take; the titles are then
  // sent, and one the unit refuses is followed by the label it keeps.
  void take_labels(const std::vector<std::string>& lines) {
    std::vector<std::pair<int, std::string>> titles;
    for (const std::string& line : lines) {
      const auto label = numbered_line(line, unit().inputs());
      if (!label) return send(kNak);
      const TitleOfLabel title = title_of_label(label->second);
      if (!title.sjis) return send(kNak);
      titles.emplace_back(label->first, *title.sjis);
    }
    send(kAck);
    for (const auto& title : titles) {
      const int input = title.first;
      const std::string& sjis = title.second;
      std::weak_ptr<Client> self = shared_from_this();
      unit().set_title(input, sjis, [self, input](const Outcome& outcome) {
        const auto client = self.lock();
        if (client && !outcome.ok())
          client->send(videohub_input_labels_block(client->unit(), {input}));
      });
    }
  }

  void changed(UnitService::Change change, const std::vector<int>& which) {
    switch (change) {
      case UnitService::Change::routing:
        return send(videohub_routing_block(unit(), which));
      case UnitService::Change::labels:
        return send(videohub_input_labels_block(unit(), which));
      case UnitService::Change::online:
        return send(videohub_device_block(unit()));
      case UnitService::Change::locks:
        return send(videohub_locks_block(unit(), id_, which));
      case UnitService::Change::pattern:
        return;
    }
  }

  void send(const std::string& text) {
    if (closed_) return;
    unread_ += text.size();
    if (unread_ > kMaxUnread) return close();
    outgoing_.push_back(text);
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

  VideohubPort& port_;
  tcp::socket socket_;
  const int id_ = UnitService::new_client();
  int watcher_ = 0;
  VideohubReader reader_;
  char buffer_[2048];
  std::deque<std::string> outgoing_;
  size_t unread_ = 0;
  bool closed_ = false;
};

VideohubPort::VideohubPort(asio::io_context& io, const GatewayConfig& config, UnitService& unit)
    : config_(config), unit_(unit), acceptor_(io) {}

VideohubPort::~VideohubPort() = default;

bool VideohubPort::listen(std::string& error) {
  const Endpoint& at = *unit_.unit().config.videohub;
  error_code failed;
  const tcp::endpoint endpoint(asio::ip::make_address_v4(at.host, failed),
                               static_cast<unsigned short>(at.port));
  if (!failed) failed = io::listen_at(acceptor_, endpoint);
  if (failed)
    error = "unit " + unit_.id() + ": videohub port " + at.text() + ": " + failed.message();
  return !failed;
}

void VideohubPort::start() {
  accept();
}

// Anyone on a loopback port; elsewhere only the configured clients; and no
// more than kMaxClients at once.
void VideohubPort::accept() {
  acceptor_.async_accept([this](const error_code& failed, tcp::socket socket) {
    if (failed == asio::error::operation_aborted) return;
    if (!failed) {
      error_code ignored;
      const std::string address = socket.remote_endpoint(ignored).address().to_string();
      if (config_.admits(*unit_.unit().config.videohub, address) && clients_.size() < kMaxClients) {
        auto client = std::make_shared<Client>(*this, std::move(socket));
        clients_.insert(client);
        client->start();
      }
    }
    accept();
  });
}

void VideohubPort::stop() {
  error_code ignored;
  acceptor_.close(ignored);
  while (!clients_.empty()) (*clients_.begin())->close();
}

}  // namespace orv::gateway
