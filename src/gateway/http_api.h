// The gateway's HTTP API and its web panel, on one address for every unit
// (Boost.Beast on the gateway's io_context; JSON in and out):
//
//   GET  /api/units                    every unit's state
//   GET  /api/units/ID                 one unit's
//   POST /api/units/ID/route           {"output": 3, "input": 7}
//   POST /api/units/ID/pattern         {"pattern": 12} or {"pattern": "free"}
//   GET  /api/units/ID/titles          [{"input": 1, "title": "..."}, ...]
//   PUT  /api/units/ID/titles/N        {"title": "..."}
//   GET  /api/events                   Server-Sent Events: every change
//   POST /api/session                  {"token": "..."}: a session cookie for the panel
//   GET  /                             the web panel
//
// A route, a recall or a title answers once the unit has acknowledged it.
// Errors are {"error": "..."}: 400 a bad request, 401 a missing or wrong
// token, 404 an unknown unit, 409 an output locked by a Videohub client,
// 422 a title the unit cannot take, 502 a condition the unit answered (its
// name), 504 no answer. With a token configured, every API call needs it
// (Authorization: Bearer) or the session cookie the panel got for it.
// Requests are bounded in size and in number.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "gateway/config.h"
#include "gateway/events.h"
#include "gateway/unattended.h"
#include "gateway/unit_service.h"

namespace orv::gateway {

class HttpApi {
 public:
  static constexpr size_t kLargestBody = size_t{16} * 1024;
  static constexpr size_t kMaxConnections = 128;
  static constexpr size_t kMaxEventStreams = 64;
  static constexpr size_t kMaxSessions = 256;

  HttpApi(boost::asio::io_context& io, const GatewayConfig& config, Events& events,
          std::deque<UnitService>& units, Unattended& unattended);
  ~HttpApi();
  HttpApi(const HttpApi&) = delete;
  HttpApi& operator=(const HttpApi&) = delete;

  bool listen(std::string& error);
  void start();
  void stop();

  class Connection;
  struct Reply;

 private:
  friend class Connection;
  void accept();
  // What a request is answered (`reply` once the unit has answered, for
  // what it must carry out).
  void answer(Connection& connection);
  bool authorised(const Connection& connection) const;
  std::string new_session();
  UnitService* unit_of(const std::string& id);
  void unit_changed(UnitService& unit, UnitService::Change change);
  void send_pending_states();
  void broadcast(const std::string& data);

  boost::asio::io_context& io_;
  const GatewayConfig& config_;
  Events& events_;
  std::deque<UnitService>& units_;
  Unattended& unattended_;
  boost::asio::ip::tcp::acceptor acceptor_;
  std::set<std::shared_ptr<Connection>> connections_;
  std::set<std::shared_ptr<Connection>> streams_;
  std::deque<std::string> sessions_;
  std::set<UnitService*> changed_units_;  // whose state is to go on the event stream
  bool states_posted_ = false;
  int listener_ = 0;
  std::map<UnitService*, int> watchers_;
};

}  // namespace orv::gateway
