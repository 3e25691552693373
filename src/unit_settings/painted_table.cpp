#include "unit_settings/painted_table.h"

namespace orv {

PaintedEntry table_entry(int index, std::string label, std::string value) {
  const int column = index / 8;
  const int row = index % 8;
  return PaintedEntry{35 + 175 * column, 95 + 175 * column, 40 + 25 * row, std::move(label),
                      std::move(value)};
}

}  // namespace orv
