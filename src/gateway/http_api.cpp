#include "gateway/http_api.h"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <random>

#include "gateway/api_json.h"
#include "gateway/labels.h"
#include "gateway/web_panel.h"
#include "io/ports.h"

namespace orv::gateway {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using boost::asio::ip::tcp;
using nlohmann::json;
using std::chrono::seconds;

using HttpRequest = http::request<http::string_body>;

constexpr size_t kLargestHeader = size_t{8} * 1024;
constexpr size_t kMaxUnreadEvents = size_t{1} << 20;
constexpr seconds kRequestTime{30};
constexpr seconds kKeepAliveEvery{15};
const char* const kSessionCookie = "orv_session";

std::string_view view_of(boost::beast::string_view text) {
  return {text.data(), text.size()};
}

std::string text_of(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Equal or not, in a time that does not tell how much of `given` matched.
bool same_secret(std::string_view given, std::string_view secret) {
  unsigned difference = given.size() == secret.size() ? 0u : 1u;
  for (size_t i = 0; i < secret.size(); ++i)
    difference |= static_cast<unsigned char>(secret[i]) ^
                  static_cast<unsigned char>(i < given.size() ? given[i] : 0);
  return difference == 0;
}

// A cookie's value from the request's Cookie header, or empty.
std::string cookie_of(const HttpRequest& request, std::string_view name) {
  const std::string_view header = view_of(request[http::field::cookie]);
  for (size_t start = 0; start < header.size();) {
    const size_t end = std::min(header.find(';', start), header.size());
    std::string_view pair = header.substr(start, end - start);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=')
      return std::string(pair.substr(name.size() + 1));
    start = end + 1;
  }
  return {};
}

// The path's parts: "/api/units/a/route?x" gives api, units, a, route.
std::vector<std::string> path_parts(std::string_view target) {
  target = target.substr(0, target.find('?'));
  std::vector<std::string> parts;
  for (size_t start = 0; start < target.size();) {
    const size_t slash = std::min(target.find('/', start), target.size());
    if (slash > start) parts.emplace_back(target.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

// A whole number in `body` at `key` within low..high.
std::optional<int> number_at(const json& body, const char* key, int low, int high) {
  if (!body.is_object() || !body.contains(key) || !body[key].is_number_integer())
    return std::nullopt;
  const auto value = body[key].get<long long>();
  if (value < low || value > high) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

struct HttpApi::Reply {
  unsigned status = 200;
  std::string body;
  std::string content_type = "application/json; charset=utf-8";
  std::vector<std::pair<std::string, std::string>> headers;
  bool close = false;

  static Reply of(const json& value, unsigned status = 200) {
    Reply reply;
    reply.status = status;
    reply.body = text_of(value);
    return reply;
  }
  static Reply error(unsigned status, const std::string& why) {
    return of(json{{"error", why}}, status);
  }
};

class HttpApi::Connection : public std::enable_shared_from_this<HttpApi::Connection> {
 public:
  Connection(HttpApi& api, tcp::socket socket)
      : api_(api), stream_(std::move(socket)), keep_alive_(stream_.get_executor()) {}

  void start() { read_request(); }

  void close() {
    if (closed_) return;
    closed_ = true;
    keep_alive_.cancel();
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
    const auto self = shared_from_this();
    api_.streams_.erase(self);
    api_.connections_.erase(self);
  }

  const HttpRequest& request() const { return request_; }

  void reply(Reply reply) {
    if (closed_) return;
    auto response = std::make_shared<http::response<http::string_body>>(
        static_cast<http::status>(reply.status), request_.version());
    set_common_fields(*response, reply.content_type);
    for (const auto& [name, value] : reply.headers) response->set(name, value);
    response->body() = std::move(reply.body);
    response->keep_alive(request_.keep_alive() && !reply.close);
    response->prepare_payload();
    stream_.expires_after(kRequestTime);
    http::async_write(stream_, *response,
                      [self = shared_from_this(), response](beast::error_code failed, size_t) {
                        if (failed || !response->keep_alive()) return self->close();
                        self->read_request();
                      });
  }

  // The response stays open as a stream of events, each a chunk; `first`
  // go out at once.
  void start_event_stream(const std::vector<std::string>& first) {
    auto response =
        std::make_shared<http::response<http::empty_body>>(http::status::ok, request_.version());
    set_common_fields(*response, "text/event-stream; charset=utf-8");
    response->chunked(true);
    auto serializer = std::make_shared<http::response_serializer<http::empty_body>>(*response);
    stream_.expires_never();
    http::async_write_header(
        stream_, *serializer,
        [self = shared_from_this(), response, serializer](beast::error_code failed, size_t) {
          if (failed) return self->close();
          self->header_written_ = true;
          self->write_events();
          self->watch_for_close();
          self->keep_alive();
        });
    for (const std::string& data : first) push(data);
  }

  void push(const std::string& data) {
    if (closed_) return;
    queue("data: " + data + "\n\n");
  }

 private:
  template <typename Response>
  void set_common_fields(Response& response, const std::string& content_type) {
    response.set(http::field::server, "orvellan-gateway");
    response.set(http::field::content_type, content_type);
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
  }

  void read_request() {
    parser_.emplace();
    parser_->body_limit(kLargestBody);
    parser_->header_limit(kLargestHeader);
    stream_.expires_after(kRequestTime);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code failed, size_t) {
                       self->on_request(failed);
                     });
  }

  void on_request(beast::error_code failed) {
    if (failed == http::error::body_limit) {
      request_ = parser_->release();
      Reply too_large = Reply::error(413, "the request body is larger than 16 KB");
      too_large.close = true;
      return reply(std::move(too_large));
    }
    if (failed) return close();
    request_ = parser_->release();
    stream_.expires_never();  // while the unit answers
    api_.answer(*this);
  }

  void queue(std::string event) {
    unread_ += event.size();
    if (unread_ > kMaxUnreadEvents) return close();
    events_.push_back(std::move(event));
    if (header_written_) write_events();
  }

  void write_events() {
    if (closed_ || events_.empty() || writing_) return;
    writing_ = true;
    asio::async_write(stream_, http::make_chunk(asio::buffer(events_.front())),
                      [self = shared_from_this()](beast::error_code failed, size_t) {
                        self->writing_ = false;
                        if (failed) return self->close();
                        self->unread_ -= std::min(self->unread_, self->events_.front().size());
                        self->events_.pop_front();
                        self->write_events();
                      });
  }

  // The browser sends nothing on an event stream: a read ends when it goes.
  void watch_for_close() {
    stream_.socket().async_read_some(asio::buffer(discard_),
                                     [self = shared_from_this()](beast::error_code failed, size_t) {
                                       if (failed) return self->close();
                                       self->watch_for_close();
                                     });
  }

  // A comment line now and then keeps the connection from looking idle to
  // whatever lies between, and finds a client that went without a word.
  void keep_alive() {
    keep_alive_.expires_after(kKeepAliveEvery);
    keep_alive_.async_wait([self = shared_from_this()](const beast::error_code& failed) {
      if (failed || self->closed_) return;
      self->queue(": keep-alive\n\n");
      self->keep_alive();
    });
  }

  HttpApi& api_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  HttpRequest request_;
  asio::steady_timer keep_alive_;
  std::deque<std::string> events_;
  char discard_[256];
  size_t unread_ = 0;
  bool header_written_ = false;
  bool writing_ = false;
  bool closed_ = false;
};

HttpApi::HttpApi(asio::io_context& io, const GatewayConfig& config, Events& events,
                 std::deque<UnitService>& units, Unattended& unattended)
    : io_(io),
      config_(config),
      events_(events),
      units_(units),
      unattended_(unattended),
      acceptor_(io) {}

HttpApi::~HttpApi() {
  try {
    stop();
  } catch (...) {  // closing sockets on the way out: nothing left to tell
  }
}

bool HttpApi::listen(std::string& error) {
  error_code failed;
  const tcp::endpoint at(asio::ip::make_address_v4(config_.http.host, failed),
                         static_cast<unsigned short>(config_.http.port));
  if (!failed) failed = io::listen_at(acceptor_, at);
  if (failed) error = "http " + config_.http.text() + ": " + failed.message();
  return !failed;
}

void HttpApi::start() {
  listener_ = events_.listen([this](const Event& event) { broadcast(text_of(event_json(event))); });
  for (UnitService& unit : units_)
    watchers_[&unit] =
        unit.watch([this, &unit](UnitService::Change change, const std::vector<int>&) {
          unit_changed(unit, change);
        });
  accept();
}

void HttpApi::stop() {
  if (listener_ != 0) events_.unlisten(listener_);
  listener_ = 0;
  for (const auto& [unit, watcher] : watchers_) unit->unwatch(watcher);
  watchers_.clear();
  error_code ignored;
  acceptor_.close(ignored);
  while (!connections_.empty()) (*connections_.begin())->close();
}

void HttpApi::accept() {
  acceptor_.async_accept([this](const error_code& failed, tcp::socket socket) {
    if (failed == asio::error::operation_aborted) return;
    if (!failed && connections_.size() < kMaxConnections) {
      auto connection = std::make_shared<Connection>(*this, std::move(socket));
      connections_.insert(connection);
      connection->start();
    }
    accept();
  });
}

bool HttpApi::authorised(const Connection& connection) const {
  if (config_.token.empty()) return true;
  const HttpRequest& request = connection.request();
  const std::string_view authorization = view_of(request[http::field::authorization]);
  if (authorization.starts_with("Bearer ") && same_secret(authorization.substr(7), config_.token))
    return true;
  const std::string session = cookie_of(request, kSessionCookie);
  return !session.empty() &&
         std::any_of(sessions_.begin(), sessions_.end(),
                     [&](const std::string& s) { return same_secret(session, s); });
}

std::string HttpApi::new_session() {
  std::random_device random;
  static const char digits[] = "0123456789abcdef";
  std::string session;
  for (int i = 0; i < 32; ++i) session += digits[random() & 0xF];
  sessions_.push_back(session);
  if (sessions_.size() > kMaxSessions) sessions_.pop_front();
  return session;
}

UnitService* HttpApi::unit_of(const std::string& id) {
  for (UnitService& unit : units_)
    if (unit.id() == id) return &unit;
  return nullptr;
}

void HttpApi::unit_changed(UnitService& unit, UnitService::Change change) {
  if (change == UnitService::Change::labels)
    return broadcast(text_of(json{{"unit", unit.id()}, {"kind", "titles"}}));
  // A burst of changes (a recall changes every output) goes as one state.
  changed_units_.insert(&unit);
  if (states_posted_) return;
  states_posted_ = true;
  asio::post(io_, [this] { send_pending_states(); });
}

void HttpApi::send_pending_states() {
  states_posted_ = false;
  const auto changed = std::move(changed_units_);
  changed_units_.clear();
  for (UnitService* unit : changed)
    broadcast(text_of(json{{"unit", unit->id()}, {"kind", "state"}, {"state", unit_json(*unit)}}));
}

void HttpApi::broadcast(const std::string& data) {
  const auto streams = streams_;  // a stream that falls behind closes as it is told
  for (const auto& stream : streams) stream->push(data);
}

namespace {

// The answer to what a unit was asked to do: the unit as it is now, or
// why not.
HttpApi::Reply reply_of(const Outcome& outcome, const json& done) {
  switch (outcome.kind) {
    case Outcome::Kind::done:
      return HttpApi::Reply::of(done);
    case Outcome::Kind::condition:
      return HttpApi::Reply::error(502, "the unit answered " + outcome.error);
    case Outcome::Kind::refused:
      return HttpApi::Reply::error(409, outcome.error);
    case Outcome::Kind::no_answer:
      break;
  }
  return HttpApi::Reply::error(504, outcome.error);
}

json differences_json(const std::vector<SettingDifference>& differences) {
  json list = json::array();
  for (const SettingDifference& d : differences)
    list.push_back({{"setting", d.name}, {"left", d.left}, {"right", d.right}});
  return {{"count", differences.size()}, {"differences", std::move(list)}};
}

json backup_json(const BackupInfo& b) {
  return {{"name", b.name},
          {"time", b.time},
          {"differences", b.differences < 0 ? json(nullptr) : json(b.differences)}};
}

// A read the unit did not finish, silent (504) or with a condition (502),
// or a file of the gateway's own it could not read or write (500).
HttpApi::Reply read_failed(const std::string& error) {
  const unsigned status = error.starts_with("the unit answered")         ? 502
                          : error.starts_with("the unit did not answer") ? 504
                                                                         : 500;
  return HttpApi::Reply::error(status, error);
}

json schedule_json(const Scheduler& scheduler) {
  json list = json::array();
  for (size_t i = 0; i < scheduler.entries().size(); ++i) {
    const ScheduleEntry& e = scheduler.entries()[i];
    json next = nullptr;
    if (const auto at = scheduler.next_run(i)) {
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", at->year, at->month,
                    at->day, at->hour, at->minute, at->second);
      next = text;
    }
    list.push_back({{"name", e.name},
                    {"when", e.when_text},
                    {"do", e.action.text()},
                    {"units", e.units.empty() ? json("all") : json(e.units)},
                    {"late_s", e.late_ms / 1000},
                    {"next", std::move(next)}});
  }
  return list;
}

}  // namespace

void HttpApi::answer(Connection& connection) {
  const HttpRequest& request = connection.request();
  const auto method = request.method();
  const std::vector<std::string> parts = path_parts(view_of(request.target()));
  const auto reply = [&](Reply r) { connection.reply(std::move(r)); };
  // The reply of something the unit must carry out comes later.
  const auto later = [c = connection.shared_from_this()](UnitService* unit, auto done_json) {
    return [c, unit, done_json](const Outcome& outcome) {
      c->reply(reply_of(outcome, outcome.ok() ? done_json(*unit) : json()));
    };
  };

  if (parts.empty() || (parts.size() == 1 && parts[0] == "index.html")) {
    if (method != http::verb::get) return reply(Reply::error(405, "the panel is GET only"));
    Reply page;
    page.body = web_panel_page();
    page.content_type = "text/html; charset=utf-8";
    page.headers.emplace_back("Content-Security-Policy",
                              "default-src 'self'; script-src 'unsafe-inline'; "
                              "style-src 'unsafe-inline'; frame-ancestors 'none'");
    return reply(std::move(page));
  }
  if (parts[0] != "api") return reply(Reply::error(404, "no such page"));
  if (parts.size() < 2) return reply(Reply::error(404, "no such call"));
  if (parts.size() == 2 && parts[1] == "session" && method == http::verb::post) {
    const json body = json::parse(request.body(), nullptr, false);
    if (!config_.token.empty() &&
        !(body.is_object() && body.contains("token") && body["token"].is_string() &&
          same_secret(body["token"].get<std::string>(), config_.token)))
      return reply(Reply::error(401, "the token is not the gateway's"));
    Reply r = Reply::of(json::object());
    if (!config_.token.empty())
      r.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + new_session() +
                                               "; Path=/; HttpOnly; SameSite=Strict");
    return reply(std::move(r));
  }
  if (!authorised(connection))
    return reply(Reply::error(401, "a token is needed (Authorization: Bearer)"));

  if (parts.size() == 2 && parts[1] == "events" && method == http::verb::get) {
    if (streams_.size() >= kMaxEventStreams)
      return reply(Reply::error(503, "too many event streams"));
    streams_.insert(connection.shared_from_this());
    std::vector<std::string> states;
    for (const UnitService& unit : units_)
      states.push_back(
          text_of(json{{"unit", unit.id()}, {"kind", "state"}, {"state", unit_json(unit)}}));
    return connection.start_event_stream(states);
  }
  if (parts[1] == "schedule") {
    if (parts.size() == 2 && method == http::verb::get)
      return reply(Reply::of(schedule_json(unattended_.scheduler())));
    if (parts.size() == 4 && parts[3] == "run" && method == http::verb::post)
      return reply(unattended_.run_now(parts[2])
                       ? Reply::of(json::object())
                       : Reply::error(404, "no schedule \"" + parts[2] + "\""));
    return reply(Reply::error(404, "no such call"));
  }
  if (parts[1] != "units") return reply(Reply::error(404, "no such call"));
  if (parts.size() == 2) {
    if (method != http::verb::get) return reply(Reply::error(405, "GET /api/units"));
    json units = json::array();
    for (const UnitService& unit : units_) units.push_back(unit_json(unit));
    return reply(Reply::of(units));
  }
  UnitService* unit = unit_of(parts[2]);
  if (!unit) return reply(Reply::error(404, "no unit \"" + parts[2] + "\""));
  const std::string what = parts.size() > 3 ? parts[3] : "";
  const json body = request.body().empty() ? json() : json::parse(request.body(), nullptr, false);

  if (parts.size() == 3 && method == http::verb::get) return reply(Reply::of(unit_json(*unit)));
  if (parts.size() == 4 && what == "route" && method == http::verb::post) {
    const auto output = number_at(body, "output", 1, kOutputCount);
    const auto input = number_at(body, "input", 1, unit->inputs());
    if (!output || !input)
      return reply(Reply::error(400, "route needs {\"output\": 1..32, \"input\": 1.." +
                                         std::to_string(unit->inputs()) + "}"));
    if (unit->lock_holder(*output - 1) != 0)
      return reply(Reply::error(409, "output " + std::to_string(*output) + " is locked"));
    return unit->route({{*output - 1, *input - 1}}, later(unit, unit_json));
  }
  if (parts.size() == 4 && what == "pattern" && method == http::verb::post) {
    const bool free = body.is_object() && body.contains("pattern") && body["pattern"] == "free";
    const auto pattern =
        free ? std::optional<int>(kFreeLayout + 1) : number_at(body, "pattern", 1, kPatternCount);
    if (!pattern) return reply(Reply::error(400, "pattern needs {\"pattern\": 1..64 or \"free\"}"));
    if (unit->locked_by_another(0))
      return reply(Reply::error(409, "a client holds a lock on an output"));
    return unit->recall(*pattern - 1, later(unit, unit_json));
  }
  if (parts.size() == 4 && what == "clock-sync" && method == http::verb::post) {
    return unit->sync_clock(
        [this, c = connection.shared_from_this(), unit](const Outcome& outcome) {
          if (!outcome.ok()) events_.record(unit->id(), "clock_failed", outcome.error);
          c->reply(reply_of(outcome, json::object()));
        });
  }
  const size_t index = static_cast<size_t>(
      std::find_if(units_.begin(), units_.end(), [&](const UnitService& u) { return &u == unit; }) -
      units_.begin());
  const auto c = connection.shared_from_this();
  if (parts.size() == 4 && what == "backup" && method == http::verb::post) {
    if (!unattended_.backups(index)) return reply(Reply::error(409, "the unit keeps no backups"));
    return unattended_.backup(index, [c](const BackupInfo* added, const std::string& error) {
      c->reply(added ? Reply::of(backup_json(*added)) : read_failed(error));
    });
  }
  if (parts.size() == 4 && what == "compare" && method == http::verb::post) {
    if (unit->unit().config.approved.empty())
      return reply(Reply::error(409, "the unit has no approved file"));
    return unattended_.compare(
        index, [c](const std::vector<SettingDifference>* differences, const std::string& error) {
          c->reply(differences ? Reply::of(differences_json(*differences)) : read_failed(error));
        });
  }
  if (what == "backups" && method == http::verb::get && (parts.size() == 4 || parts.size() == 7)) {
    const BackupFolder* folder = unattended_.backups(index);
    if (!folder) return reply(Reply::error(409, "the unit keeps no backups"));
    if (parts.size() == 4) {
      json list = json::array();
      for (const BackupInfo& b : folder->list()) list.push_back(backup_json(b));
      return reply(Reply::of(list));
    }
    if (parts[5] != "diff") return reply(Reply::error(404, "no such call"));
    std::string error;
    const auto differences = folder->differences(parts[4], parts[6], error);
    return reply(differences ? Reply::of(differences_json(*differences))
                             : Reply::error(404, error));
  }
  if (parts.size() == 4 && what == "titles" && method == http::verb::get) {
    if (unit->labels().empty())
      return reply(Reply::error(504, "the titles have not been read yet"));
    return reply(Reply::of(titles_json(*unit)));
  }
  if (parts.size() == 5 && what == "titles" && method == http::verb::put) {
    const std::string& n = parts[4];
    const int input =
        n.size() <= 2 && n.find_first_not_of("0123456789") == std::string::npos ? std::stoi(n) : 0;
    if (input < 1 || input > unit->inputs()) return reply(Reply::error(404, "no input " + n));
    if (!body.is_object() || !body.contains("title") || !body["title"].is_string())
      return reply(Reply::error(400, "a title needs {\"title\": \"...\"}"));
    const TitleOfLabel title = title_of_label(body["title"].get<std::string>());
    if (!title.sjis) return reply(Reply::error(422, title.refused));
    const std::string sjis = *title.sjis;
    return unit->set_title(input - 1, sjis, later(unit, [input, sjis](const UnitService&) {
                             return json{{"input", input}, {"title", label_of_title(sjis)}};
                           }));
  }
  reply(Reply::error(404, "no such call"));
}

}  // namespace orv::gateway
