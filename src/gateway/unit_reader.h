// Reads every setting a read all reads from one unit, aside: the unit's
// live state is left as the polls keep it. One command at a time at the
// polls' priority, so the polls go on between them; the settings a read all
// does not read (the free layout, the converter's fields) keep a fresh
// program's start-up values. A second read asked while one is under way
// gets the same result.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gateway/line.h"

namespace orv::gateway {

// An answer taken into `settings` through the reply table, as the program
// takes it (see take_answer).
ResultCode take_answer_into(DeviceSettings& settings, const Settled& settled);

class UnitReader {
 public:
  explicit UnitReader(Unit& unit);
  ~UnitReader();
  UnitReader(const UnitReader&) = delete;
  UnitReader& operator=(const UnitReader&) = delete;

  // `settings` the unit's settings, or null with `error` (the condition the
  // unit answered, or that it did not answer).
  using Read = std::function<void(const DeviceSettings* settings, const std::string& error)>;
  void read(Read done);

 private:
  void ask_step();
  void answered(const Settled& settled);
  void end(const std::string& error);

  Unit& unit_;
  RequesterId requester_ = 0;
  std::vector<Read> waiting_;
  DeviceSettings settings_;
  int step_ = 0;  // the step awaited, from 1; 0 when no read is under way
};

}  // namespace orv::gateway
