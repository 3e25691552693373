// Source codes of screen pattern entries: what one output shows.
//
// A code below inputCount is input channel code+1 ("IN01", wire "I01");
// from inputCount up it is automatic switching pattern code-inputCount+1
// ("SP01", wire "S01"). Settings files always hold the code as if the unit
// had 64 inputs, so a file written for one model loads for the other.
#pragma once

#include <optional>
#include <string>

namespace orv {

enum class SourceKind { input, switching_pattern };

struct Source {
  SourceKind kind;
  int number;  // 1-based channel or pattern number
  bool operator==(const Source&) const = default;
};

bool is_valid_source_code(int code, int inputCount);
std::optional<Source> decode_source(int code, int inputCount);
std::optional<int> encode_source(Source source, int inputCount);

// "IN05" / "SP02": the four-character name the dialogs show.
std::optional<std::string> source_display_name(int code, int inputCount);
// "I05" / "S02": the three characters a command carries.
std::optional<std::string> source_wire_text(int code, int inputCount);

int source_to_file_form(int code, int inputCount);
int source_from_file_form(int value, int inputCount);

}  // namespace orv
