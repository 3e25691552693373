#include "gateway/service.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>

#include <csignal>

#include "gateway/gateway.h"

namespace orv::gateway {

int run_gateway(const GatewayConfig& config, Events& events,
                const std::function<void(std::function<void()> stop)>& started) {
  asio::io_context io;
  Gateway gateway(io, config, events);
  std::string error;
  if (!gateway.start(error)) {
    events.record("", "not started", error);
    return 1;
  }
  asio::signal_set signals(io, SIGINT, SIGTERM);
  const auto stop = [&] {
    error_code ignored;
    signals.cancel(ignored);
    gateway.stop();
    events.record("", "stopped", {});
  };
  signals.async_wait([&](const error_code& failed, int) {
    if (!failed) stop();
  });
  if (started) started([&io, stop] { asio::post(io, stop); });
  io.run();
  return 0;
}

}  // namespace orv::gateway
