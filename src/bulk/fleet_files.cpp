#include "bulk/fleet_files.h"

#include <algorithm>

#include "protocol/number_text.h"

namespace orv {

std::string bus_unit_file_name(int address) {
  return "unit-" + decimal_text(address, 2) + ".dat";
}

std::string converter_file_name(std::string_view converter) {
  std::string name(converter);
  std::replace(name.begin(), name.end(), ':', '-');
  return name + ".dat";
}

}  // namespace orv
