#include "gateway/event_outputs.h"

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "gateway/api_json.h"
#include "settings_file/file_system.h"

namespace orv::gateway {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace asio = boost::asio;
using boost::system::error_code;

constexpr int kLongestPauseS = 60;
constexpr auto kAttemptLimit = std::chrono::seconds(10);

}  // namespace

std::string event_line(const Event& event) {
  return event_json(event).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool EventLog::write(const Event& event) {
  const FilePath path(path_);
  if (file_size(path) >= limit_) {
    const FilePath kept = path.plus(".1");
    std::string unkept;
    remove_file(kept);
    if (!replace_file(path, kept, unkept)) remove_file(path);  // it starts again empty
  }
  const int file = open_for_appending(path);
  return file >= 0 && write_and_close(file, event_line(event) + "\n");
}

// One POST of one event: connect, write, read the answer, within 10 s.
class Webhook::Attempt : public std::enable_shared_from_this<Attempt> {
 public:
  Attempt(asio::io_context& io, const GatewayConfig& config, const std::string& body,
          std::function<void(bool)> done)
      : stream_(io), done_(std::move(done)) {
    request_.method(http::verb::post);
    request_.target(config.webhook_target);
    request_.set(http::field::host, config.webhook_host);
    request_.set(http::field::content_type, "application/json");
    request_.set(http::field::user_agent, "orvellan-gateway");
    request_.body() = body;
    request_.prepare_payload();
    error_code bad;
    at_ = asio::ip::tcp::endpoint(asio::ip::make_address_v4(config.webhook->host, bad),
                                  static_cast<unsigned short>(config.webhook->port));
  }

  void start() {
    stream_.expires_after(kAttemptLimit);
    stream_.async_connect(at_, [self = shared_from_this()](const error_code& failed) {
      if (failed) return self->end(false);
      http::async_write(self->stream_, self->request_,
                        [self](const error_code& not_written, size_t) {
                          if (not_written) return self->end(false);
                          http::async_read(self->stream_, self->buffer_, self->response_,
                                           [self](const error_code& not_read, size_t) {
                                             const unsigned status = self->response_.result_int();
                                             self->end(!not_read && status >= 200 && status < 300);
                                           });
                        });
    });
  }

  void cancel() {
    done_ = nullptr;
    error_code ignored;
    stream_.socket().close(ignored);
  }

 private:
  void end(bool ok) {
    error_code ignored;
    stream_.socket().close(ignored);
    if (auto done = std::move(done_)) done(ok);
  }

  beast::tcp_stream stream_;
  asio::ip::tcp::endpoint at_;
  http::request<http::string_body> request_;
  beast::flat_buffer buffer_;
  http::response<http::string_body> response_;
  std::function<void(bool)> done_;
};

Webhook::Webhook(asio::io_context& io, const GatewayConfig& config)
    : io_(io), config_(config), pause_(io) {}

Webhook::~Webhook() {
  try {
    stop();
  } catch (...) {  // closing a socket on the way out: nothing left to tell
  }
}

void Webhook::post(const Event& event) {
  if (stopped_) return;
  Event told = event;
  if (dropped_ > 0 && waiting_.size() < kMostWaiting) {
    told.detail += (told.detail.empty() ? "" : "; ") + std::to_string(dropped_) +
                   " earlier event(s) were dropped while the webhook did not answer";
    dropped_ = 0;
  }
  if (waiting_.size() >= kMostWaiting) {
    waiting_.pop_front();
    ++dropped_;
  }
  waiting_.push_back(event_line(told));
  if (!sending_) send_next();
}

void Webhook::send_next() {
  if (stopped_ || (in_flight_.empty() && waiting_.empty())) return;
  sending_ = true;
  if (in_flight_.empty()) {
    in_flight_ = std::move(waiting_.front());
    waiting_.pop_front();
  }
  attempt_ = std::make_shared<Attempt>(io_, config_, in_flight_, [this](bool ok) { sent(ok); });
  attempt_->start();
}

void Webhook::sent(bool ok) {
  attempt_.reset();
  if (ok) {
    in_flight_.clear();
    pause_s_ = 0;
    sending_ = false;
    return send_next();
  }
  pause_s_ = pause_s_ == 0 ? 1 : std::min(pause_s_ * 2, kLongestPauseS);
  pause_.expires_after(std::chrono::seconds(pause_s_));
  pause_.async_wait([this](const error_code& cancelled) {
    if (cancelled) return;
    sending_ = false;
    send_next();
  });
}

void Webhook::stop() {
  stopped_ = true;
  pause_.cancel();
  if (attempt_) attempt_->cancel();
  attempt_.reset();
}

EventOutputs::EventOutputs(asio::io_context& io, const GatewayConfig& config, Events& events)
    : events_(events) {
  if (!config.log.empty()) log_ = std::make_unique<EventLog>(config.log, config.log_limit);
  if (config.webhook) webhook_ = std::make_unique<Webhook>(io, config);
  listener_ = events_.listen([this](const Event& event) {
    write_to_system_log(event);
    if (log_ && !log_->write(event) && !log_failed_) {
      log_failed_ = true;  // said once, on standard error, not through itself again
      std::fprintf(stderr, "orvellan-gateway: the event log cannot be written\n");
    }
    if (webhook_) webhook_->post(event);
  });
}

EventOutputs::~EventOutputs() {
  try {
    stop();
  } catch (...) {  // as above
  }
}

void EventOutputs::stop() {
  if (listener_) events_.unlisten(listener_);
  listener_ = 0;
  if (webhook_) webhook_->stop();
}

}  // namespace orv::gateway
