// What the command-line tool needs of the terminal it runs in.
#pragma once

#include <string>
#include <string_view>

namespace orv::cli {

// Whether standard error is a terminal (the progress line shows only there).
bool is_terminal();

// A Shift_JIS text (a title) as UTF-8 for the terminal; bytes that do not
// convert become "?".
std::string terminal_text(std::string_view shift_jis);

// Prepares the console for UTF-8 output where it needs it.
void prepare_terminal();

}  // namespace orv::cli
