// Where the gateway's events go besides standard error: a log of JSON
// lines (one event each, started again beside the last one once it passes
// its size), the system's log (syslog on Linux, the Event Log on Windows),
// and a webhook that each event is POSTed to as JSON. The webhook is
// written to in the background on the gateway's one thread: a webhook that
// is slow or away never holds up a unit; what it has not taken is sent again
// with a growing pause (1 s doubling to a minute), in order, and at most
// 1,000 events wait (the oldest go first, counted in the next one's detail).
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <deque>
#include <memory>
#include <string>

#include "gateway/config.h"
#include "gateway/events.h"

namespace orv::gateway {

// The event as one JSON object: unit, kind, at, detail.
std::string event_line(const Event& event);

class EventLog {
 public:
  EventLog(std::string path, long long limit) : path_(std::move(path)), limit_(limit) {}
  // Appends the event; false when the file cannot be written.
  bool write(const Event& event);

 private:
  std::string path_;
  long long limit_;
};

// The platform half: one event into the system's log.
void write_to_system_log(const Event& event);

class Webhook {
 public:
  static constexpr size_t kMostWaiting = 1000;
  Webhook(boost::asio::io_context& io, const GatewayConfig& config);
  ~Webhook();
  Webhook(const Webhook&) = delete;
  Webhook& operator=(const Webhook&) = delete;

  void post(const Event& event);
  void stop();

 private:
  class Attempt;
  void send_next();
  void sent(bool ok);

  boost::asio::io_context& io_;
  const GatewayConfig& config_;
  std::deque<std::string> waiting_;  // JSON bodies, oldest first
  std::string in_flight_;            // the one being sent, out of `waiting_`
  size_t dropped_ = 0;
  bool sending_ = false;
  bool stopped_ = false;
  int pause_s_ = 0;
  boost::asio::steady_timer pause_;
  std::shared_ptr<Attempt> attempt_;
};

// Every output the configuration names, listening to `events` from start()
// to stop().
class EventOutputs {
 public:
  EventOutputs(boost::asio::io_context& io, const GatewayConfig& config, Events& events);
  ~EventOutputs();
  EventOutputs(const EventOutputs&) = delete;
  EventOutputs& operator=(const EventOutputs&) = delete;
  void stop();

 private:
  Events& events_;
  int listener_ = 0;
  std::unique_ptr<EventLog> log_;
  bool log_failed_ = false;
  std::unique_ptr<Webhook> webhook_;
};

}  // namespace orv::gateway
