// Small text helpers of the simulator's own (it shares no code with the
// program, so that a misreading of the protocol cannot hide on both sides).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// The value of `text` when it is exactly `width` decimal digits within
// low..high.
std::optional<int> number(std::string_view text, size_t width, int low, int high);
// Upper-case hexadecimal, as every hexadecimal field on the wire is written.
std::optional<int> hex_number(std::string_view text, size_t width);
std::string digits(int value, int width);           // zero-padded decimal
std::string hex_digits(unsigned value, int width);  // upper-case
// CR, LF and other control bytes as \r, \n, \xNN, for logs.
std::string escaped(std::string_view bytes);
// The other way: \r, \n, \\ and \xHH back to their bytes.
std::string unescaped(std::string_view text);

}  // namespace sim
