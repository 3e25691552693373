#include "gateway/api_json.h"

namespace orv::gateway {

using nlohmann::json;

json unit_json(const UnitService& unit) {
  json outputs = json::array();
  json locked = json::array();
  for (int output = 0; output < kOutputCount; ++output) {
    json entry{{"output", output + 1}};
    const int input = unit.shown_input(output);
    entry["input"] = input >= 0 ? json(input + 1) : json(nullptr);
    if (const int pattern = unit.switching_pattern(output); pattern >= 0)
      entry["switching"] = pattern + 1;
    outputs.push_back(std::move(entry));
    if (unit.lock_holder(output) != 0) locked.push_back(output + 1);
  }
  json pattern = nullptr;
  if (const auto in_force = unit.pattern())
    pattern = *in_force == kFreeLayout ? json("free") : json(*in_force + 1);
  const UnitConfig& config = unit.unit().config;
  return {{"id", config.id},
          {"name", config.name},
          {"model", config.model == kModelTarquine ? "TARQUINE" : "ORVELLAN"},
          {"inputs", unit.inputs()},
          {"online", unit.online()},
          {"pattern", std::move(pattern)},
          {"outputs", std::move(outputs)},
          {"locked", std::move(locked)}};
}

json titles_json(const UnitService& unit) {
  json titles = json::array();
  for (size_t input = 0; input < unit.labels().size(); ++input)
    titles.push_back({{"input", input + 1}, {"title", unit.labels()[input]}});
  return titles;
}

json event_json(const Event& event) {
  return {{"unit", event.unit}, {"kind", event.kind}, {"at", event.at}, {"detail", event.detail}};
}

}  // namespace orv::gateway
