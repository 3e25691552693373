// Settings drawn at random for round trips through a unit: every value one a
// unit keeps and gives back unchanged.
#pragma once

#include "protocol/device_settings.h"

namespace orv::test {

// Settings with a different value in every group a unit keeps, drawn from a
// fixed random sequence (`draw` picks it): every value inside its list,
// titles no longer than their channel's font size lets a unit answer (14,
// 21 or 28 characters), none ending in an ideographic space, none from the
// IBM block (a unit gives those back as their NEC-selected codes). Inputs
// beyond the model's keep their start-up values, like the converter fields.
DeviceSettings random_settings(int model, unsigned draw);

}  // namespace orv::test
