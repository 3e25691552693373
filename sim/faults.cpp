#include "faults.h"

#include <cctype>

namespace sim {
namespace {

// Replies on an RS-485 bus may carry the unit's address in front; a fault
// keeps it so that the program still takes the line as the unit's.
size_t address_length(const std::string& reply) {
  return reply.size() > 2 && std::isdigit(static_cast<unsigned char>(reply[0])) &&
                 std::isdigit(static_cast<unsigned char>(reply[1]))
             ? 2
             : 0;
}

const char* kind_name(FaultKind kind) {
  switch (kind) {
    case FaultKind::silence:
      return "silence";
    case FaultKind::condition:
      return "condition";
    case FaultKind::garble:
      return "garble";
    case FaultKind::split:
      return "split";
    case FaultKind::replace:
      return "reply";
    case FaultKind::none:
      break;
  }
  return "none";
}

}  // namespace

bool is_condition_name(const std::string& name) {
  for (const char* known : {"MENU", "ALARM", "LOCK", "GN", "E0", "E1", "E2", "E3"})
    if (name == known) return true;
  return false;
}

Millis ReplyShaper::transmit_ms(size_t bytes) const {
  // 8E1: start bit, 8 data bits, parity, stop bit.
  return baud_ > 0 ? static_cast<Millis>(bytes) * 11 * 1000 / baud_ : 0;
}

std::vector<Chunk> ReplyShaper::shape(std::string reply, const Origin& origin) {
  Fault applied;
  const bool counts = origin.command.substr(0, fault_.prefix.size()) == fault_.prefix &&
                      (fault_.link.empty() || origin.link == fault_.link) &&
                      (fault_.unit.empty() || origin.unit == fault_.unit);
  if (fault_.kind != FaultKind::none && fault_.remaining != 0 && counts) {
    if (fault_.skip > 0) {
      --fault_.skip;
    } else {
      applied = fault_;
      if (fault_.remaining > 0 && --fault_.remaining == 0) fault_ = Fault{};
    }
  }
  const size_t address = address_length(reply);
  switch (applied.kind) {
    case FaultKind::silence:
      return {};
    case FaultKind::condition:
    case FaultKind::replace:
      reply = reply.substr(0, address) + applied.condition + "\r\n";
      break;
    case FaultKind::garble:
      reply[address] = '#';
      break;
    default:
      break;
  }

  const Millis first = reply_delay_ms_ + delay_ms_;
  if (applied.kind != FaultKind::split) return {Chunk{reply, first + transmit_ms(reply.size())}};

  std::vector<Chunk> chunks;
  const size_t parts = static_cast<size_t>(applied.parts < 1 ? 1 : applied.parts);
  const size_t size = (reply.size() + parts - 1) / parts;
  for (size_t start = 0; start < reply.size(); start += size) {
    const std::string piece = reply.substr(start, size);
    const Millis after = chunks.empty() ? first : applied.pause_ms;
    chunks.push_back(Chunk{piece, after + transmit_ms(piece.size())});
  }
  return chunks;
}

std::string ReplyShaper::describe() const {
  std::string text = kind_name(fault_.kind);
  if (fault_.kind == FaultKind::condition || fault_.kind == FaultKind::replace)
    text += " " + fault_.condition;
  if (fault_.kind == FaultKind::split)
    text += " " + std::to_string(fault_.parts) + " " + std::to_string(fault_.pause_ms);
  if (fault_.kind != FaultKind::none)
    text += fault_.remaining < 0 ? " all" : " " + std::to_string(fault_.remaining);
  if (fault_.skip > 0) text += " after " + std::to_string(fault_.skip + 1);
  if (!fault_.prefix.empty()) text += " on " + fault_.prefix;
  if (!fault_.link.empty()) text += " link " + fault_.link;
  if (!fault_.unit.empty()) text += " unit " + fault_.unit;
  return text + ", delay " + std::to_string(delay_ms_);
}

}  // namespace sim
