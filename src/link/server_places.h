// The TCP/IP server's 96 places and their rules, apart from any socket: who
// may take a place (with the allow list, only listed addresses), a
// converter that connects again from a place's address taking that place
// over, the 97th turned away, the place the operator picked, and which
// lines count for the operator.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "link/connection.h"

namespace orv {

class ServerPlaces {
 public:
  // Every address may take a place (the default), or only these.
  void allow_only(std::vector<std::string> addresses) { allowed_ = std::move(addresses); }
  void allow_all() { allowed_.reset(); }

  struct Admission {
    int place = 0;           // 1..96; 0: turned away (not listed, or every place held)
    bool took_over = false;  // the place was held from this address: its old connection goes
    bool picked = false;     // the place is (again) the one commands go to
  };
  // A converter connected from `address`.
  Admission admit(const std::string& address);
  // The connection of `place` closed or failed: the place is free. A
  // picked place is picked no more, so that a command cannot reach whoever
  // takes the place next; its address is remembered, and the same
  // converter coming back takes the pick again unless another place was
  // picked meanwhile.
  void leave(int place);

  // The operator's pick (a row of the server dialog); 0 or a free place:
  // none.
  void pick(int place);
  int picked() const { return picked_; }
  // Every place free, nothing picked, nothing remembered.
  void clear();

  bool in_use(int place) const;
  const std::string& address_of(int place) const;
  struct Held {
    int place;
    std::string address;
  };
  std::vector<Held> held() const;  // in place order
  int count() const;

  // A line nobody asked for counts for the operator (a box, the status
  // line) only from the picked place: a converter that speaks unasked
  // cannot raise the operator's boxes for another.
  bool counts_for_operator(int place) const { return place != 0 && place == picked_; }

 private:
  bool allowed(const std::string& address) const;

  std::array<std::optional<std::string>, kServerPlaces + 1> places_{};  // [0] unused
  int picked_ = 0;
  std::string left_picked_;  // the address of a picked place whose converter went
  std::optional<std::vector<std::string>> allowed_;
};

}  // namespace orv
