// Configuration values as they may stand in ORVELLAN.ini: "key=value" lines.
#include <cstdint>
#include <string_view>

#include "invariants.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  test::MemoryProfileStore store;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos)
      store.set(line.substr(0, equals), line.substr(equals + 1));
    (void)profile_atoi(line);
    const Octets octets = parse_host_address(line);
    fuzz::require(fuzz::all_within(octets, 4, 0, 255), "host address octets");
  }
  const Configuration c = read_configuration(store);
  fuzz::require(c.ip_address_count >= 0 && c.ip_address_count <= kHostListSize, "host count");
  fuzz::require(c.select_model == 0 || c.select_model == 1, "model");
  fuzz::require(fuzz::terminated(c.port_number), "port number terminated");
  for (const Octets& host : c.host_addresses)
    fuzz::require(fuzz::all_within(host, 4, 0, 255), "stored host octets");
  Session state;
  apply_configuration(state, c);
  fuzz::require(
      state.document.settings.inputCount == 32 || state.document.settings.inputCount == 64,
      "inputs");
  return 0;
}
