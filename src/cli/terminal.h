// What the command-line tool needs of the terminal it runs in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv::cli {

// Whether standard error is a terminal (the progress line shows only there).
bool is_terminal();

// A Shift_JIS text (a title) as UTF-8 for the terminal; bytes that do not
// convert become "?".
std::string terminal_text(std::string_view shift_jis);

// Prepares the console for UTF-8 output where it needs it.
void prepare_terminal();

// The arguments in UTF-8, the program's name first. (On Windows `argv` is
// in the ANSI code page, which may not hold a Japanese file name.)
std::vector<std::string> arguments(int argc, char** argv);

}  // namespace orv::cli
