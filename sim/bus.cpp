#include "bus.h"

#include "text.h"

namespace sim {

std::vector<std::string> LineSplitter::feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (char byte : bytes) {
    if (byte == '\n') {
      if (!discarding_) lines.push_back(pending_ + '\n');
      pending_.clear();
      discarding_ = false;
      continue;
    }
    if (discarding_) continue;
    pending_ += byte;
    if (pending_.size() > kMaxLineBytes) {
      pending_.clear();
      discarding_ = true;
    }
  }
  return lines;
}

Bus::Bus(Model model, LineKind line, int units, bool reply_address, const Clock& clock)
    : model_(model),
      line_(line),
      reply_address_(reply_address),
      clock_(clock),
      started_(clock.now_ms()) {
  const int count = line == LineKind::rs232c ? 1
                    : units < 1              ? 1
                    : units > kMaxUnits      ? kMaxUnits
                                             : units;
  for (int i = 0; i < count; ++i) units_.push_back(std::make_unique<Unit>(model, clock));
}

void Bus::factory_reset() {
  for (auto& unit : units_) unit = std::make_unique<Unit>(model_, clock_);
  converter_ = Converter{};
  log_.clear();
}

Unit* Bus::unit(int address) {
  if (address < 0 || address >= unit_count()) return nullptr;
  return units_[static_cast<size_t>(address)].get();
}

void Bus::record(std::string target, std::string_view raw) {
  log_.push_back(LogEntry{clock_.now_ms() - started_, std::move(target), std::string(raw)});
  if (trace) trace("rx " + log_.back().target + " " + escaped(raw));
}

std::string Bus::answer(Unit& unit, std::string_view command) {
  if (auto reply = converter_.handle(command)) return *reply;
  return unit.handle(command);
}

std::optional<std::string> Bus::handle_line(std::string_view raw, bool addressed) {
  std::string_view command = raw;
  if (!command.empty() && command.back() == '\n') command.remove_suffix(1);
  if (!command.empty() && command.back() == '\r') command.remove_suffix(1);

  if (!addressed || line_ == LineKind::rs232c) {
    record("00", raw);
    return answer(*units_[0], command);
  }

  const std::string address(command.substr(0, 2));
  command.remove_prefix(command.size() < 2 ? command.size() : 2);
  if (address == "FF") {
    record("FF", raw);
    for (auto& unit : units_) answer(*unit, command);
    return std::nullopt;  // nobody answers a Broadcast
  }
  const auto number_of_unit = number(address, 2, 0, kMaxUnits - 1);
  Unit* target = number_of_unit ? unit(*number_of_unit) : nullptr;
  if (!target) {
    record("--", raw);
    return std::nullopt;
  }
  record(address, raw);
  std::string reply = answer(*target, command);
  if (reply_address_) reply = address + reply;
  return reply;
}

}  // namespace sim
