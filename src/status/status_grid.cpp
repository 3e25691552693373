#include "status/status_grid.h"

#include "protocol/number_text.h"

namespace orv {
namespace {

constexpr size_t kOutputStateLength = 69;
constexpr size_t kOutputSelectionLength = 100;

// The line end where the layout puts it; what may follow it (a second line
// in the same TCP/IP chunk) is not examined.
bool crlf_at(std::string_view line, size_t offset) {
  return line.size() >= offset + 2 && line.substr(offset, 2) == "\r\n";
}

}  // namespace

void StatusGrid::reset() {
  shownInput.fill(kNothingShown);
  previousShownInput.fill(kNothingShown);
  switchingPattern.fill(kNothingShown);
  previousSwitchingPattern.fill(kNothingShown);
  changedCells.clear();
  changedLabels.clear();
}

bool StatusGrid::take_output_state(std::string_view line, int inputCount) {
  return apply_output_state_reply(*this, line, inputCount);
}

bool StatusGrid::take_output_selection(std::string_view line) {
  return apply_output_selection_reply(*this, line);
}

bool apply_output_state_reply(StatusGrid& grid, std::string_view line, int inputCount) {
  if (line.substr(0, 3) != "OCD" || !crlf_at(line, kOutputStateLength - 2)) return false;
  std::array<int, kOutputCount> shown{};
  for (int k = 0; k < kOutputCount; ++k) {
    const std::string_view field = line.substr(3 + 2 * static_cast<size_t>(k), 2);
    const int input = parse_decimal(field, 2);
    if (!is_decimal_digits(field) || input < 1 || input > inputCount) return false;
    shown[k] = input - 1;
  }
  grid.previousShownInput = grid.shownInput;
  grid.shownInput = shown;
  for (int k = 0; k < kOutputCount; ++k)
    if (grid.shownInput[k] != grid.previousShownInput[k]) grid.changedCells.push_back(k);
  return true;
}

bool apply_output_selection_reply(StatusGrid& grid, std::string_view line) {
  if (line.substr(0, 2) != "OS" || !crlf_at(line, kOutputSelectionLength - 2)) return false;
  std::array<int, kOutputCount> patterns{};
  for (int k = 0; k < kOutputCount; ++k) {
    const std::string_view field = line.substr(2 + 3 * static_cast<size_t>(k), 3);
    if (field[0] != 'I' && field[0] != 'S') return false;
    // The digits are taken as they come; the window decides what to show
    // for a number outside 01..64.
    patterns[k] = field[0] == 'S' ? parse_decimal(field.substr(1), 2) - 1 : kNothingShown;
  }
  grid.previousSwitchingPattern = grid.switchingPattern;
  grid.switchingPattern = patterns;
  for (int k = 0; k < kOutputCount; ++k)
    if (grid.switchingPattern[k] != grid.previousSwitchingPattern[k])
      grid.changedLabels.push_back(k);
  return true;
}

std::optional<LayoutRow> output_selection_layout(std::string_view line, int inputCount) {
  if (line.substr(0, 2) != "OS" || !crlf_at(line, kOutputSelectionLength - 2)) return std::nullopt;
  LayoutRow row{};
  for (int k = 0; k < kOutputCount; ++k) {
    const std::string_view field = line.substr(2 + 3 * static_cast<size_t>(k), 3);
    const int number = parse_decimal(field.substr(1), 2);
    const bool input = field[0] == 'I';
    if ((!input && field[0] != 'S') || !is_decimal_digits(field.substr(1)) || number < 1 ||
        number > (input ? inputCount : kPatternCount))
      return std::nullopt;
    row[static_cast<size_t>(k)] = input ? number - 1 : inputCount + number - 1;
  }
  return row;
}

}  // namespace orv
