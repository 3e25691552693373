#include "link/server_places.h"

#include <algorithm>

namespace orv {

bool ServerPlaces::allowed(const std::string& address) const {
  return !allowed_ || std::find(allowed_->begin(), allowed_->end(), address) != allowed_->end();
}

ServerPlaces::Admission ServerPlaces::admit(const std::string& address) {
  if (!allowed(address)) return {};
  Admission admission;
  for (int p = 1; p <= kServerPlaces; ++p) {
    const auto& held = places_[static_cast<size_t>(p)];
    if (held && *held == address) {
      admission = {p, true, false};
      break;
    }
    if (!held && admission.place == 0) admission.place = p;
  }
  if (admission.place == 0) return {};
  places_[static_cast<size_t>(admission.place)] = address;
  if (!admission.took_over && picked_ == 0 && !left_picked_.empty() && left_picked_ == address) {
    picked_ = admission.place;
    left_picked_.clear();
  }
  admission.picked = picked_ == admission.place;
  return admission;
}

void ServerPlaces::leave(int place) {
  if (!in_use(place)) return;
  if (picked_ == place) {
    left_picked_ = *places_[static_cast<size_t>(place)];
    picked_ = 0;
  }
  places_[static_cast<size_t>(place)].reset();
}

void ServerPlaces::pick(int place) {
  picked_ = in_use(place) ? place : 0;
  left_picked_.clear();
}

void ServerPlaces::clear() {
  places_ = {};
  picked_ = 0;
  left_picked_.clear();
}

bool ServerPlaces::in_use(int place) const {
  return place >= 1 && place <= kServerPlaces && places_[static_cast<size_t>(place)].has_value();
}

const std::string& ServerPlaces::address_of(int place) const {
  static const std::string kNone;
  return in_use(place) ? *places_[static_cast<size_t>(place)] : kNone;
}

std::vector<ServerPlaces::Held> ServerPlaces::held() const {
  std::vector<Held> held;
  for (int p = 1; p <= kServerPlaces; ++p)
    if (in_use(p)) held.push_back({p, address_of(p)});
  return held;
}

int ServerPlaces::count() const {
  return static_cast<int>(std::count_if(places_.begin() + 1, places_.end(),
                                        [](const auto& held) { return held.has_value(); }));
}

}  // namespace orv
