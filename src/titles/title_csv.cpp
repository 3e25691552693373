#include "titles/title_csv.h"

#include <set>

namespace orv {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kHeader = "channel,title";

// A field as a spreadsheet writes it: quoted when it holds a comma, a quote
// or a line break, quotes doubled.
std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// Cuts the text into records of fields; a quoted field may hold line breaks.
// Each record keeps the line it starts on.
struct Record {
  int line = 0;
  std::vector<std::string> fields;
  bool unclosed = false;  // the file ended inside a quoted field
};

std::vector<Record> records_of(std::string_view text) {
  std::vector<Record> records;
  Record record{1, {""}};
  int line = 1;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        record.fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        record.fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.fields.emplace_back();
    } else if (c == '\n') {
      records.push_back(std::move(record));
      record = Record{++line, {""}};
    } else if (c != '\r') {
      record.fields.back() += c;
    }
  }
  record.unclosed = quoted;
  records.push_back(std::move(record));
  return records;
}

bool is_empty(const Record& r) {
  return r.fields.size() == 1 && r.fields[0].empty();
}

int channel_number(const std::string& field, int inputs) {
  if (field.empty() || field.size() > 2 ||
      field.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  const int channel = std::stoi(field);
  return channel >= 1 && channel <= inputs ? channel : 0;
}

}  // namespace

std::string format_title_csv(const std::vector<std::string>& titles) {
  std::string text(kByteOrderMark);
  text += std::string(kHeader) + "\r\n";
  for (size_t i = 0; i < titles.size(); ++i)
    text += std::to_string(i + 1) + "," + csv_field(titles[i]) + "\r\n";
  return text;
}

bool parse_title_csv(std::string_view text, int inputs, std::vector<TitleCsvRow>& rows,
                     TitleCsvError& error) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  std::set<int> named;
  bool first = true;
  for (const Record& r : records_of(text)) {
    if (is_empty(r)) continue;
    const bool header = first && r.fields.size() == 2 && r.fields[0] == "channel";
    first = false;
    if (header) continue;
    if (r.fields.size() != 2 || r.unclosed)
      return error = {TitleCsvError::Kind::not_a_row, r.line}, false;
    const int channel = channel_number(r.fields[0], inputs);
    if (channel == 0) return error = {TitleCsvError::Kind::bad_channel, r.line}, false;
    if (!named.insert(channel).second)
      return error = {TitleCsvError::Kind::repeated_channel, r.line}, false;
    rows.push_back(TitleCsvRow{r.line, channel, r.fields[1]});
  }
  return true;
}

}  // namespace orv
