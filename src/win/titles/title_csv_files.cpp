#include "win/titles/title_csv_files.h"

#include <optional>
#include <string>
#include <vector>

#include "protocol/title_codec.h"
#include "settings_file/settings_file.h"
#include "titles/title_csv.h"
#include "win/base/file_dialog.h"
#include "win/base/message_boxes.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

std::wstring csv_error_text(const TitleCsvError& error, int inputs) {
  switch (error.kind) {
    case TitleCsvError::Kind::not_a_row:
      return L"「チャンネル,タイトル」の形ではありません。";
    case TitleCsvError::Kind::bad_channel:
      return L"チャンネルは 1～" + std::to_wstring(inputs) + L" です。";
    case TitleCsvError::Kind::repeated_channel:
      return L"同じチャンネルが二度あります。";
  }
  return {};
}

void report_bad_line(const std::wstring& path, int line, const std::wstring& why) {
  show_message(Box{
      path + L"\n" + std::to_wstring(line) + L" 行目: " + why + L"\nタイトルは変更していません。",
      L"エラー", MB_OK | MB_TASKMODAL | MB_ICONWARNING});
}

// The title of a row as the settings keep it, or why it cannot be one.
std::optional<std::string> sendable_title(const std::string& utf8, std::wstring& why) {
  const auto shift_jis = to_shift_jis_exactly(widen(utf8));
  if (shift_jis && shift_jis->size() > static_cast<size_t>(kTitleBytes)) {
    why = L"タイトルは " + std::to_wstring(kTitleCharacters) + L" 文字までです。";
    return std::nullopt;
  }
  if (!shift_jis || !title_codes(*shift_jis)) {
    why = widen(kUnsendableTitle);
    return std::nullopt;
  }
  return shift_jis;
}

}  // namespace

void export_titles(HWND owner, const DeviceSettings& settings) {
  const FileChoice choice = ask_for_file(owner, L"タイトルの書き出し", L"csv", L"", true);
  if (choice.dialog_failed) return report_chooser_failure();
  if (choice.path.empty()) return;
  std::vector<std::string> titles;
  for (int i = 0; i < settings.inputCount; ++i)
    titles.push_back(narrow(from_shift_jis(title_text(settings.titles[i]))));
  std::string error;
  if (!write_file_replacing(path_of(choice.path), format_title_csv(titles), error))
    report_unwritable_file();
}

bool import_titles(HWND owner, DeviceSettings& settings) {
  const FileChoice choice = ask_for_file(owner, L"タイトルの読み込み", L"csv", L"", false);
  if (choice.dialog_failed) return report_chooser_failure(), false;
  if (choice.path.empty()) return false;
  std::string text, error;
  const FileRead read = read_whole_file(path_of(choice.path), text, error);
  if (read == FileRead::unreadable) return report_missing_file(), false;
  if (read == FileRead::too_large)
    return report_damaged_file(kTooLargeFile, choice.path + L"\nタイトルは変更していません。"),
           false;
  std::vector<TitleCsvRow> rows;
  TitleCsvError bad;
  if (!parse_title_csv(text, settings.inputCount, rows, bad)) {
    report_bad_line(choice.path, bad.line, csv_error_text(bad, settings.inputCount));
    return false;
  }
  std::vector<std::pair<int, std::string>> taken;
  for (const TitleCsvRow& row : rows) {
    std::wstring why;
    const auto title = sendable_title(row.title, why);
    if (!title) return report_bad_line(choice.path, row.line, why), false;
    taken.emplace_back(row.channel, *title);
  }
  for (const auto& [channel, title] : taken) set_title(settings.titles[channel - 1], title);
  if (!taken.empty()) settings.settingsDirty = 1;
  return true;
}

}  // namespace orv::win
