// The titles as a CSV file a spreadsheet opens: "channel,title" on the first
// line, then one row per input channel, UTF-8 with a byte order mark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

// `titles[i]` is channel i+1's title in UTF-8.
std::string format_title_csv(const std::vector<std::string>& titles);

struct TitleCsvRow {
  int line = 0;  // 1-based line of the file
  int channel = 0;
  std::string title;  // UTF-8, unchecked
};

struct TitleCsvError {
  enum class Kind { not_a_row, bad_channel, repeated_channel };
  Kind kind = Kind::not_a_row;
  int line = 0;
};

// The rows of a file (byte order mark and header line optional, empty lines
// skipped). Fails at the first line that is not "channel,title" with a
// channel from 1 to `inputs` named once.
bool parse_title_csv(std::string_view text, int inputs, std::vector<TitleCsvRow>& rows,
                     TitleCsvError& error);

}  // namespace orv
