#include "gateway/line.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>

#include "io/ports.h"
#include "link/dispatch.h"
#include "link/reply_roads.h"
#include "protocol/commands.h"

namespace orv::gateway {
namespace {

using std::chrono::milliseconds;

// A poll's answer comes within this or counts as a miss (a converter at
// 9600 baud answers "ROS", the longest, in about 130 ms).
constexpr milliseconds kPollTimeout{1000};

RequesterId next_requester() {
  static RequesterId next = 1;
  return next++;
}

asio::steady_timer::time_point time_point_of(Instant instant) {
  return asio::steady_timer::time_point(
      std::chrono::duration_cast<asio::steady_timer::duration>(instant));
}

Command command_of(Read read) {
  switch (read) {
    case Read::output_state:
      return build_read_output_state();
    case Read::output_selection:
      return build_read_output_selection();
    case Read::pattern_in_force:
      break;
  }
  return build_read_pattern_in_force();
}

}  // namespace

Instant steady_now() {
  return std::chrono::duration_cast<Instant>(std::chrono::steady_clock::now().time_since_epoch());
}

Line::Line(asio::io_context& io, const GatewayConfig& config, Events& events,
           std::vector<Unit*> units)
    : io_(io),
      config_(config),
      events_(events),
      units_(std::move(units)),
      timer_(io),
      poller_(units_.size(), units_.size() > 1),
      poll_requester_(add_requester([this](const Settled& s) { poll_settled(s); })) {
  for (size_t i = 0; i < units_.size(); ++i) {
    units_[i]->line = this;
    units_[i]->on_line = i;
  }
}

RequesterId Line::add_requester(Settle settled) {
  const RequesterId id = next_requester();
  requesters_.emplace(id, std::move(settled));
  return id;
}

void Line::forget(RequesterId requester) {
  requesters_.erase(requester);
  conversation_.cancel(requester);
}

void Line::ask(Request request) {
  conversation_.submit(std::move(request));
  pump();
}

bool Line::send(std::string_view bytes) {
  if (!open_) return false;
  outgoing_.emplace_back(bytes);
  if (!writing_) {
    writing_ = true;
    write_began_ = steady_now();
    write_front();
  }
  return true;
}

std::string Line::name() const {
  std::string ids;
  for (const Unit* unit : units_) ids += (ids.empty() ? "" : ",") + unit->config.id;
  return ids;
}

void Line::wrote(const error_code& failed) {
  if (!outgoing_.empty()) outgoing_.pop_front();
  if (failed) {
    writing_ = false;
    if (failed != asio::error::operation_aborted) lost("write: " + failed.message());
    return;
  }
  if (outgoing_.empty()) {
    writing_ = false;
  } else {
    write_began_ = steady_now();
    write_front();
  }
}

void Line::halt() {
  halted_ = true;
  open_ = false;
  timer_.cancel();
  for (const Settled& settled : conversation_.fail_all()) deliver(settled);
}

void Line::opened() {
  if (halted_) return;
  open_ = true;
  lines_.clear();
  pump();
}

void Line::took(std::string_view bytes) {
  for (const std::string& line : lines_.feed(bytes)) {
    const Conversation::Taken taken = conversation_.take_line(line, steady_now());
    if (taken.settled) deliver(*taken.settled);
  }
  pump();
}

// The connection went: what waited on it ends so, and the polls that
// follow miss until it is back.
void Line::lost(const std::string& why) {
  if (!open_) return;
  open_ = false;
  writing_ = false;
  outgoing_.clear();
  events_.record("", "line lost", name() + ": " + why);
  for (const Settled& settled : conversation_.fail_all()) deliver(settled);
  pump();
}

void Line::pump() {
  if (halted_) return;
  if (pumping_) {
    pump_again_ = true;
    return;
  }
  pumping_ = true;
  do {
    pump_again_ = false;
    const Instant now = steady_now();
    ask_poll(now);
    for (const Settled& settled : send_waiting(conversation_, *this, now).settled) deliver(settled);
  } while (pump_again_);
  pumping_ = false;
  arm_timer();
}

void Line::ask_poll(Instant now) {
  const std::optional<Poll> poll = poller_.next(now);
  if (!poll) return;
  const Unit& unit = *units_[poll->unit];
  Request request{poll_requester_,
                  command_of(poll->read).text,
                  unit.address_field(),
                  Priority::poll,
                  0,
                  std::min(kPollTimeout, milliseconds(config_.timeout_ms)),
                  std::nullopt,
                  false};
  conversation_.submit(std::move(request));
}

void Line::arm_timer() {
  std::optional<Instant> next = conversation_.deadline();
  if (const auto due = poller_.due(); due && (!next || *due < *next)) next = due;
  if (writing_) {
    const Instant stuck = write_began_ + milliseconds(config_.timeout_ms) + milliseconds(1);
    if (!next || stuck < *next) next = stuck;
  }
  if (!next) return;
  timer_.expires_at(time_point_of(*next));
  timer_.async_wait([this](const error_code& failed) {
    if (!failed) on_timer();
  });
}

void Line::on_timer() {
  const Instant now = steady_now();
  if (writing_ && now - write_began_ > milliseconds(config_.timeout_ms))
    return reset("the line takes nothing written (no handshake?)");
  const Conversation::Ticked ticked = conversation_.tick(now);
  if (ticked.resend)
    for (const Settled& settled : send_again(conversation_, *this, *ticked.resend).settled)
      deliver(settled);
  if (ticked.settled) deliver(*ticked.settled);
  pump();
}

void Line::deliver(const Settled& settled) {
  const auto requester = requesters_.find(settled.requester);
  if (requester == requesters_.end()) return;
  const Settle settle = requester->second;  // it may forget itself meanwhile
  settle(settled);
}

ResultCode take_answer(Unit& unit, const Settled& settled) {
  Exchange exchange;
  exchange.sent();
  ReplyTarget target{unit.read, {}, &unit.grid, false, {}};
  take_settled(exchange, target, ReplyRoad::socket, settled);
  return exchange.result_code();
}

// What a poll read goes into its unit's live state through the reply
// table; a condition line is an answer, and leaves the state as it was.
void Line::poll_settled(const Settled& settled) {
  const auto unit_index = std::find_if(units_.begin(), units_.end(), [&](const Unit* u) {
    return u->address_field() == settled.address;
  });
  if (unit_index == units_.end()) return;
  Unit& unit = **unit_index;
  const bool answered = settled.how == Settled::How::answered;
  Polled polled;
  if (answered) {
    const int pattern_before = unit.pattern_known ? unit.read.currentScreenPattern : -1;
    const ResultCode result = take_answer(unit, settled);
    if (settled.asked == "ROP" && result == ResultCode::none) {
      unit.pattern_known = true;
      polled.pattern_changed = unit.read.currentScreenPattern != pattern_before;
    }
  }
  const Instant now = steady_now();
  const Poller::Change change = poller_.polled(answered, now);
  const bool at_once =
      settled.how == Settled::How::link_failed || settled.how == Settled::How::connection_lost;
  if (at_once) poller_.rest_until(now + Poller::kConverterPeriod);
  switch (change) {
    case Poller::Change::online:
      unit.online = polled.online_changed = true;
      events_.record(unit.config.id, "online", {});
      break;
    case Poller::Change::offline:
      unit.online = false;
      polled.online_changed = true;
      events_.record(unit.config.id, "offline", "three polls in a row without an answer");
      break;
    case Poller::Change::none:
      break;
  }
  polled.routing = unit.grid.changedCells;
  for (const int output : unit.grid.changedLabels)
    if (std::find(polled.routing.begin(), polled.routing.end(), output) == polled.routing.end())
      polled.routing.push_back(output);
  unit.grid.changedCells.clear();
  unit.grid.changedLabels.clear();
  if (!polled.routing.empty() && unit.pattern_known) poller_.read_pattern_soon(unit.on_line);
  const bool news = polled.online_changed || polled.pattern_changed || !polled.routing.empty();
  if (news && unit.on_polled) unit.on_polled(polled);
}

namespace {

constexpr milliseconds kReopenAfter{3000};

// A serial port and the units on it; a port that fails is closed and opened
// again every few seconds.
class SerialLine : public Line {
 public:
  SerialLine(asio::io_context& io, const GatewayConfig& config, Events& events,
             std::vector<Unit*> units, PortConfig port)
      : Line(io, config, events, std::move(units)),
        settings_(std::move(port)),
        port_(io),
        reopen_(io) {}

  void start() override { open(); }
  void stop() override {
    stopped_ = true;
    reopen_.cancel();
    close();
    halt();
  }

 private:
  void open() {
    if (stopped_) return;
    error_code failed;
    port_.open(settings_.device, failed);
    std::string note, error;
    if (failed) error = settings_.device + ": " + failed.message();
    if (!failed && !io::set_unit_line(port_, settings_.device, settings_.baud, note, error))
      failed = asio::error::invalid_argument;
    if (failed) {
      if (!reported_) events_.record("", "port", error + "; opened again every 3 s");
      reported_ = true;
      close();
      return reopen_later();
    }
    if (reported_) events_.record("", "port", settings_.device + " is open again");
    reported_ = false;
    ++generation_;
    opened();
    read();
  }

  void reopen_later() {
    reopen_.expires_after(kReopenAfter);
    reopen_.async_wait([this](const error_code& failed) {
      if (!failed) open();
    });
  }

  void close() {
    error_code ignored;
    port_.close(ignored);
  }

  void read() {
    port_.async_read_some(asio::buffer(buffer_),
                          [this, generation = generation_](const error_code& failed, size_t n) {
                            if (generation != generation_) return;
                            if (failed) return fail(failed.message());
                            took(std::string_view(buffer_, n));
                            read();
                          });
  }

  void reset(const std::string& why) override { fail(why); }

  void fail(const std::string& why) {
    if (stopped_) return;
    ++generation_;
    close();
    lost(settings_.device + ": " + why);
    reopen_later();
  }

  void write_front() override {
    asio::async_write(port_, asio::buffer(outgoing_.front()),
                      [this, generation = generation_](const error_code& failed, size_t) {
                        if (generation == generation_) wrote(failed);
                      });
  }

  PortConfig settings_;
  asio::serial_port port_;
  asio::steady_timer reopen_;
  char buffer_[1024];
  unsigned generation_ = 0;
  bool stopped_ = false;
  bool reported_ = false;
};

// A converter the gateway connects to, connecting again after a failure,
// a second later, then up to half a minute.
class ClientLine : public Line {
 public:
  ClientLine(asio::io_context& io, const GatewayConfig& config, Events& events, Unit& unit)
      : Line(io, config, events, {&unit}), at_(unit.config.converter_at), socket_(io), retry_(io) {}

  void start() override { connect(); }
  void stop() override {
    stopped_ = true;
    retry_.cancel();
    close();
    halt();
  }

 private:
  void connect() {
    if (stopped_) return;
    error_code ignored;
    const tcp::endpoint to(asio::ip::make_address_v4(at_.host, ignored),
                           static_cast<unsigned short>(at_.port));
    ++generation_;
    retry_.expires_after(milliseconds(config_.timeout_ms + 2000));
    retry_.async_wait([this, generation = generation_](const error_code& failed) {
      if (!failed && generation == generation_) close();  // the connect gives up
    });
    socket_.async_connect(to, [this, generation = generation_](const error_code& failed) {
      if (generation != generation_) return;
      retry_.cancel();
      if (failed) return reconnect_later(failed.message());
      error_code ignored_option;
      socket_.set_option(asio::socket_base::keep_alive(true), ignored_option);
      backoff_ = milliseconds(1000);
      events_.record("", "connected", at_.text());
      opened();
      read();
    });
  }

  void reset(const std::string& why) override { reconnect_later(why); }

  void reconnect_later(const std::string& why) {
    if (stopped_) return;
    close();
    lost(at_.text() + ": " + why);
    retry_.expires_after(backoff_);
    retry_.async_wait([this](const error_code& failed) {
      if (!failed) connect();
    });
    backoff_ = std::min(backoff_ * 2, milliseconds(30000));
  }

  void close() {
    error_code ignored;
    socket_.close(ignored);
  }

  void read() {
    socket_.async_read_some(asio::buffer(buffer_),
                            [this, generation = generation_](const error_code& failed, size_t n) {
                              if (generation != generation_) return;
                              if (failed) return reconnect_later(failed.message());
                              took(std::string_view(buffer_, n));
                              read();
                            });
  }

  void write_front() override {
    asio::async_write(socket_, asio::buffer(outgoing_.front()),
                      [this, generation = generation_](const error_code& failed, size_t) {
                        if (generation == generation_) wrote(failed);
                      });
  }

  Endpoint at_;
  tcp::socket socket_;
  asio::steady_timer retry_;
  milliseconds backoff_{1000};
  char buffer_[1024];
  unsigned generation_ = 0;
  bool stopped_ = false;
};

}  // namespace

std::unique_ptr<Line> serial_line(asio::io_context& io, const GatewayConfig& config, Events& events,
                                  std::vector<Unit*> units, const PortConfig& port) {
  return std::make_unique<SerialLine>(io, config, events, std::move(units), port);
}

std::unique_ptr<Line> client_line(asio::io_context& io, const GatewayConfig& config, Events& events,
                                  Unit& unit) {
  return std::make_unique<ClientLine>(io, config, events, unit);
}

ConverterLine::ConverterLine(asio::io_context& io, const GatewayConfig& config, Events& events,
                             Unit& unit)
    : Line(io, config, events, {&unit}), socket_(io) {}

void ConverterLine::stop() {
  ++generation_;
  error_code ignored;
  socket_.close(ignored);
  halt();
}

// A second connection from the converter's address (it restarted, its old
// connection half-open) takes the line over.
void ConverterLine::take(tcp::socket socket) {
  if (socket_.is_open()) close("a new connection from its address took its place");
  socket_ = std::move(socket);
  error_code ignored;
  socket_.set_option(asio::socket_base::keep_alive(true), ignored);
  ++generation_;
  events_.record(units().front()->config.id, "converter connected",
                 units().front()->config.converter);
  opened();
  read();
}

void ConverterLine::close(const std::string& why) {
  ++generation_;
  error_code ignored;
  socket_.close(ignored);
  lost(why);
}

void ConverterLine::read() {
  socket_.async_read_some(asio::buffer(buffer_),
                          [this, generation = generation_](const error_code& failed, size_t n) {
                            if (generation != generation_) return;
                            if (failed) return close(failed.message());
                            took(std::string_view(buffer_, n));
                            read();
                          });
}

void ConverterLine::write_front() {
  asio::async_write(socket_, asio::buffer(outgoing_.front()),
                    [this, generation = generation_](const error_code& failed, size_t) {
                      if (generation == generation_) wrote(failed);
                    });
}

}  // namespace orv::gateway
