// A unit as a Videohub router, on its own port, for control panels and
// automation that speak the Videohub Ethernet protocol (version 2.3): text
// blocks of LF-ended lines, each block a header ending in ':' and ended by
// a blank line; inputs and outputs counted from 0.
//
// On connecting, a client gets the status dump (the preamble, the device,
// the input labels (the unit's titles), the output labels, the locks, the
// routing, END PRELUDE); then every change, whoever made it (another
// client, the HTTP API, the unit's front panel), as it is seen. A block the
// client sends is answered ACK or NAK at once; what it asks is then carried
// out in order, and a route or a label the unit refuses is followed by the
// block that shows what the unit really has. Locks are held per connection
// and let go when it closes.
#pragma once

#include <boost/asio/ip/tcp.hpp>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "gateway/config.h"
#include "gateway/unit_service.h"

namespace orv::gateway {

struct VideohubBlock {
  std::string header;  // without its ':' ("VIDEO OUTPUT ROUTING")
  std::vector<std::string> lines;
};

// The blocks of a client's bytes as they arrive; bounded, so a client that
// sends an endless line or block is refused rather than held in memory.
class VideohubReader {
 public:
  static constexpr size_t kLongestLine = 1024;
  static constexpr size_t kMostLines = 256;

  // The blocks completed by `bytes`; nothing and `refused` set when a bound
  // is passed.
  std::vector<VideohubBlock> feed(std::string_view bytes);
  bool refused() const { return refused_; }

 private:
  std::string line_;
  std::optional<VideohubBlock> block_;
  bool refused_ = false;
};

// The blocks the gateway sends, as a client `client` sees the unit; each
// ends with its blank line.
std::string videohub_dump(const UnitService& unit, int client);
std::string videohub_device_block(const UnitService& unit);
std::string videohub_routing_block(const UnitService& unit, const std::vector<int>& outputs);
std::string videohub_input_labels_block(const UnitService& unit, const std::vector<int>& inputs);
std::string videohub_locks_block(const UnitService& unit, int client,
                                 const std::vector<int>& outputs);

class VideohubPort {
 public:
  static constexpr size_t kMaxClients = 32;

  VideohubPort(boost::asio::io_context& io, const GatewayConfig& config, UnitService& unit);
  ~VideohubPort();
  VideohubPort(const VideohubPort&) = delete;
  VideohubPort& operator=(const VideohubPort&) = delete;

  // Binds and listens; false with `error` when the address cannot be had.
  bool listen(std::string& error);
  void start();
  void stop();

  class Client;

 private:
  void accept();

  const GatewayConfig& config_;
  UnitService& unit_;
  boost::asio::ip::tcp::acceptor acceptor_;
  std::set<std::shared_ptr<Client>> clients_;
};

}  // namespace orv::gateway
