// orvellan-gateway's service: the units of its configuration, each on its
// line (serial ports opened once for every unit on them, converters the
// gateway connects to, converters that connect in to its server address),
// their live state kept by polling, each unit's converter-compatible port,
// its Videohub port, and the HTTP API with the web panel for them all.
// Everything runs on one io_context, on one thread.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "gateway/config.h"
#include "gateway/event_outputs.h"
#include "gateway/events.h"
#include "gateway/http_api.h"
#include "gateway/line.h"
#include "gateway/raw_port.h"
#include "gateway/unattended.h"
#include "gateway/unit_service.h"
#include "gateway/videohub.h"

namespace orv::gateway {

class Gateway {
 public:
  Gateway(asio::io_context& io, GatewayConfig config, Events& events);
  ~Gateway();
  Gateway(const Gateway&) = delete;
  Gateway& operator=(const Gateway&) = delete;

  // Takes every listening address first (nothing starts unless all can be
  // had), then opens every line. False, with `error`, when an address
  // cannot be had; nothing is left open then.
  bool start(std::string& error);
  // Closes every port and connection; the io_context then runs out.
  void stop();

  std::deque<Unit>& units() { return units_; }
  std::deque<UnitService>& services() { return services_; }
  const GatewayConfig& config() const { return config_; }

 private:
  bool listen_for_converters(std::string& error);
  void accept_converter();
  ConverterLine* converter_line_of(const std::string& address);

  asio::io_context& io_;
  GatewayConfig config_;
  Events& events_;
  std::unique_ptr<EventOutputs> outputs_;  // the log, the system's log, the webhook
  std::deque<Unit> units_;                 // stable addresses: lines and ports point at them
  std::vector<std::unique_ptr<Line>> lines_;
  std::vector<std::unique_ptr<RawPort>> raw_ports_;
  tcp::acceptor converters_;
  // What the Videohub and HTTP clients see of each unit and ask of it; gone
  // before the lines they ask.
  std::deque<UnitService> services_;
  std::unique_ptr<Unattended> unattended_;  // schedules, backups, comparisons
  std::vector<std::unique_ptr<VideohubPort>> videohub_ports_;
  std::unique_ptr<HttpApi> http_;
};

}  // namespace orv::gateway
