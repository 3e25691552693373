#include "status/status_layout.h"

#include "protocol/commands.h"
#include "protocol/number_text.h"
#include "status/status_grid.h"

namespace orv {
namespace {

constexpr int kCellWidth = 14;
constexpr int kCellHeight = 12;
constexpr int kGridLeft = 35;
constexpr int kGridTop = 35;
constexpr int kLabelWidth = 6 * 4 + 2;  // four characters of the 6-pixel font

}  // namespace

int status_right_edge(int inputCount) {
  return inputCount == 64 ? 931 : 483;
}

int status_row_y(int output) {
  return kGridTop + kCellHeight * output;
}

PixelBox status_cell(int output, int input, int inputCount) {
  const int x = kGridLeft + kCellWidth * input;
  if (input < 0 || input >= inputCount) return PixelBox{0, 0, 0, 0};
  const int y = status_row_y(output);
  return PixelBox{x, y, x + kCellWidth, y + kCellHeight};
}

PixelBox status_label(int output, int inputCount) {
  const int x = status_right_edge(inputCount) + 2;
  const int y = status_row_y(output) + 1;
  return PixelBox{x, y, x + kLabelWidth, y + kCellHeight};
}

std::string status_label_text(int pattern) {
  if (pattern == kNothingShown) return "    ";
  const int number = pattern + 1;
  return "SP" + (number >= 0 && number <= 99 ? decimal_text(number, 2) : std::string("??"));
}

Command status_poll(int counter) {
  return counter % 2 == 0 ? build_read_output_state() : build_read_output_selection();
}

int next_status_poll(int counter) {
  return counter + 1 >= 100 ? 0 : counter + 1;
}

}  // namespace orv
