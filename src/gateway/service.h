// How the gateway runs: in a console until Ctrl-C (or SIGTERM, as systemd
// stops it), or as a Windows service until the service manager stops it.
// Either way it stops cleanly, closing every link.
#pragma once

#include <functional>
#include <string>

#include "gateway/config.h"
#include "gateway/events.h"

namespace orv::gateway {

// Runs the gateway until it is stopped. `started` receives the function
// that stops it, callable from any thread. 0 when it ran, 1 when a port
// could not be had (the reason on standard error).
int run_gateway(const GatewayConfig& config, Events& events,
                const std::function<void(std::function<void()> stop)>& started = {});

// The Windows service (elsewhere each says so and returns 2): installed to
// run this executable with `ini`, removed, or run under the service manager.
int install_service(const std::string& executable, const std::string& ini);
int remove_service();
int run_service(const std::string& ini);

}  // namespace orv::gateway
