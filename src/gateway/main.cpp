// orvellan-gateway: one owner for every unit's link, shared by the program,
// scripts and everyone else.
//   orvellan-gateway FILE.ini                    serve until Ctrl-C (or SIGTERM)
//   orvellan-gateway --check FILE.ini            is the configuration sound?
//   orvellan-gateway --install-service FILE.ini  (Windows) run as a service
//   orvellan-gateway --remove-service            (Windows)
#include <cstdio>
#include <cstring>
#include <string>

#include "gateway/config.h"
#include "gateway/service.h"

namespace {

using namespace orv::gateway;

constexpr const char* kUsage =
    "usage: orvellan-gateway FILE.ini\n"
    "       orvellan-gateway --check FILE.ini\n"
    "       orvellan-gateway --install-service FILE.ini   (Windows)\n"
    "       orvellan-gateway --remove-service             (Windows)\n"
    "Serves the units FILE.ini names: each unit's converter-compatible port, and\n"
    "their live state, polled. Ctrl-C (or SIGTERM) ends it, closing every link.\n"
    "--check says whether FILE.ini is sound: exit 0, or 2 with the line and the\n"
    "reason.\n";

int fail(const std::string& reason, int code = 2) {
  std::fprintf(stderr, "orvellan-gateway: %s\n", reason.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--help" || first == "-h") return std::fputs(kUsage, stdout), 0;
  if (first == "--remove-service" && argc == 2) return remove_service();
  if (argc != 2 && argc != 3) return std::fputs(kUsage, stderr), 2;
  const std::string ini = argv[argc - 1];
  if (first == "--service" && argc == 3) return run_service(ini);
  GatewayConfig config;
  std::string error;
  if (!load_gateway_config(ini, config, error)) return fail(error);
  if (first == "--check" && argc == 3) {
    std::printf("%s: %zu unit(s), sound\n", ini.c_str(), config.units.size());
    return 0;
  }
  if (first == "--install-service" && argc == 3) return install_service(argv[0], ini);
  if (argc != 2) return std::fputs(kUsage, stderr), 2;
  Events events;
  return run_gateway(config, events);
}
