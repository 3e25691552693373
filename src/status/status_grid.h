// What each output of the unit shows, as the status window last learned it
// from the "OCD" (output state) and "OS" (output selection) replies.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "protocol/device_settings.h"
#include "protocol/replies.h"

namespace orv {

inline constexpr int kNothingShown = 255;

struct StatusGrid : StatusReplies {
  StatusGrid() { reset(); }
  void reset();  // every entry "nothing received yet"

  bool take_output_state(std::string_view line, int inputCount) override;
  bool take_output_selection(std::string_view line) override;

  std::array<int, kOutputCount> shownInput{};  // 0-based input, or kNothingShown
  std::array<int, kOutputCount> previousShownInput{};
  std::array<int, kOutputCount> switchingPattern{};  // 0-based pattern, or kNothingShown
  std::array<int, kOutputCount> previousSwitchingPattern{};

  // Outputs changed by the last accepted reply of each kind, for the window
  // to repaint; it clears them once painted.
  std::vector<int> changedCells;
  std::vector<int> changedLabels;
};

// "OCD" + 32 two-digit input numbers (1..inputCount) + CR LF. Validates
// the whole line before storing; false (nothing changed) when rejected.
bool apply_output_state_reply(StatusGrid& grid, std::string_view line, int inputCount);

// "OS" + 32 fields of "I" or "S" and two digits + CR LF. "S" fields give the
// pattern number - 1 (digits unchecked, so possibly outside 0..63); "I"
// fields mean no switching pattern.
bool apply_output_selection_reply(StatusGrid& grid, std::string_view line);

// The same reply as a whole layout of source codes, every entry checked
// (an input 1..inputCount, a pattern 1..64), to be sent back as the free
// layout; nothing when an entry is not one the unit takes.
std::optional<LayoutRow> output_selection_layout(std::string_view line, int inputCount);

}  // namespace orv
