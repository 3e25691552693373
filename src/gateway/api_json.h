// The gateway's HTTP API in JSON: a unit as its clients see it, its
// titles, and the events of the event stream. Outputs, inputs and patterns
// are counted from 1 here, as the operator counts them.
#pragma once

#include <nlohmann/json.hpp>

#include "gateway/events.h"
#include "gateway/unit_service.h"

namespace orv::gateway {

// {"id", "name", "model", "inputs", "online", "pattern": N | "free" | null,
//  "outputs": [{"output": 1, "input": 3} | {"output": 2, "switching": 4,
//  "input": 5} (the input it shows now) | {"output": 6, "input": null}
//  (not read yet), ...], "locked": [outputs]}
nlohmann::json unit_json(const UnitService& unit);

// [{"input": 1, "title": "..."}, ...]; empty before the titles are read.
nlohmann::json titles_json(const UnitService& unit);

// {"unit", "kind", "at", "detail"}
nlohmann::json event_json(const Event& event);

}  // namespace orv::gateway
