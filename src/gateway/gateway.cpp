#include "gateway/gateway.h"

#include <map>

#include "io/ports.h"

namespace orv::gateway {

Gateway::Gateway(asio::io_context& io, GatewayConfig config, Events& events)
    : io_(io), config_(std::move(config)), events_(events), converters_(io) {
  for (const UnitConfig& unit : config_.units) {
    Unit& added = units_.emplace_back();
    added.config = unit;
    added.read = settings_for_model(unit.model);
  }
  // One line for each serial port, whatever number of units share it.
  std::map<std::string, std::vector<Unit*>> on_port;
  for (Unit& unit : units_) {
    switch (unit.config.way) {
      case UnitConfig::Way::serial:
        on_port[unit.config.serial].push_back(&unit);
        break;
      case UnitConfig::Way::tcp:
        lines_.push_back(client_line(io_, config_, events_, unit));
        break;
      case UnitConfig::Way::converter:
        lines_.push_back(std::make_unique<ConverterLine>(io_, config_, events_, unit));
        break;
    }
  }
  for (auto& [device, units] : on_port)
    lines_.push_back(serial_line(io_, config_, events_, units, config_.port(device)));
  for (Unit& unit : units_) {
    if (unit.config.raw) raw_ports_.push_back(std::make_unique<RawPort>(io_, config_, unit));
    UnitService& service = services_.emplace_back(unit);
    if (unit.config.videohub)
      videohub_ports_.push_back(std::make_unique<VideohubPort>(io_, config_, service));
  }
  unattended_ = std::make_unique<Unattended>(io_, config_, units_, services_, events_);
  if (config_.http.port != 0)
    http_ = std::make_unique<HttpApi>(io_, config_, events_, services_, *unattended_);
}

Gateway::~Gateway() = default;

bool Gateway::start(std::string& error) {
  bool listening = listen_for_converters(error);
  for (auto& port : raw_ports_) listening = listening && port->listen(error);
  for (auto& port : videohub_ports_) listening = listening && port->listen(error);
  if (http_) listening = listening && http_->listen(error);
  if (!listening) {
    stop();
    return false;
  }
  outputs_ = std::make_unique<EventOutputs>(io_, config_, events_);
  if (converters_.is_open()) accept_converter();
  for (auto& port : raw_ports_) port->start();
  for (auto& port : videohub_ports_) port->start();
  if (http_) http_->start();
  for (auto& line : lines_) line->start();
  unattended_->start();
  events_.record("", "started", std::to_string(units_.size()) + " unit(s)");
  return true;
}

void Gateway::stop() {
  error_code ignored;
  converters_.close(ignored);
  for (auto& port : raw_ports_) port->stop();
  for (auto& port : videohub_ports_) port->stop();
  if (http_) http_->stop();
  unattended_->stop();
  for (auto& line : lines_) line->stop();
  if (outputs_) outputs_->stop();
}

bool Gateway::listen_for_converters(std::string& error) {
  if (!config_.server) return true;
  error_code failed;
  const tcp::endpoint at(asio::ip::make_address_v4(config_.server->host, failed),
                         static_cast<unsigned short>(config_.server->port));
  if (!failed) failed = io::listen_at(converters_, at);
  if (failed) error = "server " + config_.server->text() + ": " + failed.message();
  return !failed;
}

ConverterLine* Gateway::converter_line_of(const std::string& address) {
  for (Unit& unit : units_)
    if (unit.config.way == UnitConfig::Way::converter && unit.config.converter == address)
      return static_cast<ConverterLine*>(unit.line);
  return nullptr;
}

// A converter is known by the address it connects from; any other is
// closed at once.
void Gateway::accept_converter() {
  converters_.async_accept([this](const error_code& failed, tcp::socket socket) {
    if (failed == asio::error::operation_aborted) return;
    if (!failed) {
      error_code ignored;
      const std::string address = socket.remote_endpoint(ignored).address().to_string();
      if (ConverterLine* line = converter_line_of(address)) line->take(std::move(socket));
    }
    accept_converter();
  });
}

}  // namespace orv::gateway
