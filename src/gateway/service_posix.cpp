// Outside Windows the gateway runs in a console or under systemd
// (packaging/orvellan-gateway.service); there is no service to install.
#include <cstdio>

#include "gateway/service.h"

namespace orv::gateway {
namespace {

int windows_only() {
  std::fputs(
      "orvellan-gateway: a Windows service is for Windows; under systemd use "
      "packaging/orvellan-gateway.service\n",
      stderr);
  return 2;
}

}  // namespace

int install_service(const std::string&, const std::string&) {
  return windows_only();
}

int remove_service() {
  return windows_only();
}

int run_service(const std::string&) {
  return windows_only();
}

}  // namespace orv::gateway
