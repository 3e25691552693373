// Fixed-width number text: every number on the wire is a run of zero-padded
// decimal or hexadecimal digits at a fixed offset of its line.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Writes `value` as exactly `width` decimal digits at `out`, without a
// terminator, and returns `width`. A value outside 0..10^width-1 cannot be
// written in that width: nothing is written and 0 is returned.
int format_decimal(long long value, char* out, int width);

// Writes `value` as exactly `width` hexadecimal digits (A..F when `upper`,
// else a..f). Returns `width`, or 0 and writes nothing when out of range.
int format_hex(long long value, char* out, int width, bool upper);

// The first `width` characters of `text` as decimal digits, each counted as
// its code minus '0'; characters are not validated. Characters beyond the end
// of a shorter text count as '0'.
int parse_decimal(std::string_view text, int width);

// The first `width` characters as hexadecimal digits: a..f and A..F count
// 10..15, any other character its code minus '0'. Not validated.
int parse_hex(std::string_view text, int width);

bool is_decimal_digits(std::string_view text);
bool is_hex_digits(std::string_view text);

// Convenience for texts that are built rather than written in place.
// The value must fit the width (callers check ranges first).
std::string decimal_text(int value, int width);

}  // namespace orv
