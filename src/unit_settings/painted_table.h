// The table the per-channel and pattern dialogs paint above their controls:
// a white rectangle with 32 entries, 4 columns of 8 rows running down the
// columns, each a label ("ch.05 =") and a value of one fixed width.
#pragma once

#include <string>
#include <vector>

namespace orv {

struct PaintedEntry {
  int label_x;
  int value_x;
  int y;
  std::string label;
  std::string value;
};
using PaintedTable = std::vector<PaintedEntry>;

inline constexpr int kTableLeft = 25, kTableTop = 20, kTableRight = 690, kTableBottom = 250;
inline constexpr int kTableEntries = 32;

// Entry `index` (0..31) of the table, in client pixels.
PaintedEntry table_entry(int index, std::string label, std::string value);

}  // namespace orv
