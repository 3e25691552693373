#include "protocol/source_code.h"

#include "protocol/device_settings.h"
#include "protocol/number_text.h"

namespace orv {

bool is_valid_source_code(int code, int inputCount) {
  return code >= 0 && code < inputCount + kPatternCount;
}

std::optional<Source> decode_source(int code, int inputCount) {
  if (!is_valid_source_code(code, inputCount)) return std::nullopt;
  if (code < inputCount) return Source{SourceKind::input, code + 1};
  return Source{SourceKind::switching_pattern, code - inputCount + 1};
}

std::optional<int> encode_source(Source source, int inputCount) {
  if (source.kind == SourceKind::input) {
    if (source.number < 1 || source.number > inputCount) return std::nullopt;
    return source.number - 1;
  }
  if (source.number < 1 || source.number > kPatternCount) return std::nullopt;
  return inputCount + source.number - 1;
}

std::optional<std::string> source_display_name(int code, int inputCount) {
  const auto source = decode_source(code, inputCount);
  if (!source) return std::nullopt;
  return (source->kind == SourceKind::input ? "IN" : "SP") + decimal_text(source->number, 2);
}

std::optional<std::string> source_wire_text(int code, int inputCount) {
  const auto source = decode_source(code, inputCount);
  if (!source) return std::nullopt;
  return (source->kind == SourceKind::input ? "I" : "S") + decimal_text(source->number, 2);
}

int source_to_file_form(int code, int inputCount) {
  if (inputCount == 32 && code >= 32) return code + 32;
  return code;
}

int source_from_file_form(int value, int inputCount) {
  if (inputCount == 32 && value >= 32) return value - 32;
  return value;
}

}  // namespace orv
