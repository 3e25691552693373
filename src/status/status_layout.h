// Where the status window paints: a row per output, a cell per input, and
// the switching pattern label at the right; and which read the next poll
// sends.
#pragma once

#include <string>

#include "protocol/command.h"

namespace orv {

struct PixelBox {
  int left, top, right, bottom;
};

// 483 with 32 inputs, 931 with 64: the cells end there and the labels begin.
int status_right_edge(int inputCount);
// Output `output`'s cell for input `input` (both 0-based); nothing visible
// for an input the grid has not (a value not received yet).
PixelBox status_cell(int output, int input, int inputCount);
int status_row_y(int output);
// Where "SP05" (or four blanks) stands for an output.
PixelBox status_label(int output, int inputCount);
// "SP" and the two digits as they came, or four blanks for none.
std::string status_label_text(int pattern);

// The poll counter lives as long as the program: even counts read what each
// output shows ("ROCD"), odd ones what drives it ("ROS"); it wraps at 100.
Command status_poll(int counter);
int next_status_poll(int counter);

}  // namespace orv
