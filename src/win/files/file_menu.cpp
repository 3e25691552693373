#include "win/files/file_menu.h"

#include <string>

#include "settings_file/settings_file.h"
#include "win/base/file_dialog.h"
#include "win/base/message_boxes.h"
#include "win/base/timers_and_messages.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

void document_changed(Program& p) {
  SendMessageW(p.shell.main_window, WM_APP_DOCUMENT_CHANGED, 0, 0);
}

// The file dialog for `title`, starting from the file in use; the chosen
// path, or empty when the operator gives up. When the dialog itself fails,
// the program ends, as the message says, through its close path, which asks
// about changed settings like any close.
std::wstring choose_file(Program& p, const wchar_t* title, bool for_saving) {
  const FileChoice choice =
      ask_for_file(p.shell.main_window, title, L"dat",
                   widen(p.session.document.settings.settingsFilePath), for_saving);
  if (choice.dialog_failed) {
    report_file_dialog_failure();
    p.shell.file_dialog_failed = true;
    PostMessageW(p.shell.main_window, WM_CLOSE, 0, 0);
  }
  return choice.path;
}

bool write_settings(Program& p, const FilePath& path) {
  std::string error;
  if (!save_settings_file(path, p.session.document.settings, error)) {
    report_unwritable_file();
    note_in_status_line(p, widen(error));
    return false;
  }
  p.session.document.settings.settingsFilePath = path.text();
  p.session.document.settings.settingsDirty = 0;
  document_changed(p);
  return true;
}

// A file that is not a whole settings file is refused as a whole; the
// message names the file and the line where it is damaged.
void report_damaged_settings(const std::wstring& path, const SettingsFileError& error) {
  std::wstring why = L"「" + from_shift_jis(error.token) + L"」は数値ではありません。";
  if (error.kind == SettingsFileError::Kind::ends_early) why = L"ファイルが途中で終わっています。";
  if (error.kind == SettingsFileError::Kind::goes_on) why = L"最後の値の後にまだ行があります。";
  const std::wstring where = error.kind == SettingsFileError::Kind::too_large
                                 ? kTooLargeFile
                                 : std::to_wstring(error.line) + L" 行目: " + why;
  report_damaged_file(L"設定ファイルが壊れているため開けませんでした。", path + L"\n" + where);
}

// Opened while the model is ORVELLAN, a file whose screen patterns show
// TARQUINE's inputs 33 to 64 would have them become inputs 1 to 32: the
// operator chooses to switch the model first and open it unchanged, to open
// it so, or not to open it (false).
bool fit_to_model(Program& p, const std::wstring& path) {
  std::string text, error;
  if (p.session.document.settings.model != kModelOrvellan ||
      read_whole_file(path_of(path), text, error) != FileRead::read)
    return true;  // the load that follows reports the file
  const int entries = inputs_beyond_orvellan(text);
  if (entries == 0) return true;
  const int answer = show_message(
      Box{L"このファイルの画面表示パターンには、TARQUINE の入力 33～64 を表示する項目が " +
              std::to_wstring(entries) +
              L" 個あります。\n\n「はい」: モデルを TARQUINE に切り換えて、そのまま開きます。\n"
              L"「いいえ」: ORVELLAN のまま開きます（入力の番号から 32 を引きます）。\n"
              L"「キャンセル」: 開きません。",
          L"モデルの確認", MB_YESNOCANCEL | MB_ICONQUESTION | MB_TASKMODAL, p.shell.main_window});
  if (answer == IDYES) switch_model(p, kModelTarquine);
  return answer != IDCANCEL;
}

}  // namespace

bool ask_to_save(Program& p) {
  if (p.session.document.settings.settingsDirty == 0) return true;
  switch (ask_to_save_changes(p.shell.main_window)) {
    case IDYES:
      return file_save(p);
    case IDNO:
      return true;
    default:
      return false;
  }
}

void file_new(Program& p) {
  if (!ask_to_save(p)) return;
  DeviceSettings& settings = p.session.document.settings;
  settings.settingsFilePath.clear();
  reset_to_defaults(settings);
  settings.settingsDirty = 0;
  document_changed(p);
}

// The dialog comes back until a file opens or the operator gives up; a
// damaged file changes nothing, not even the file in use.
void file_open(Program& p) {
  if (!ask_to_save(p)) return;
  for (;;) {
    const std::wstring path = choose_file(p, L"ファイルを開く", false);
    if (path.empty()) return;
    if (!fit_to_model(p, path)) return;
    SettingsFileError error;
    if (load_settings_file(path_of(path), p.session.document.settings, error))
      return document_changed(p);
    if (error.kind != SettingsFileError::Kind::unreadable)
      return report_damaged_settings(path, error);
    report_missing_file();
  }
}

bool file_save(Program& p) {
  if (p.session.document.settings.settingsFilePath.empty()) return file_save_as(p);
  return write_settings(p, FilePath(p.session.document.settings.settingsFilePath));
}

bool file_save_as(Program& p) {
  if (p.shell.file_dialog_failed)
    return save_for_recovery(p.profile.folder(), format_settings_file(p.session.document.settings),
                             L"dat");
  const std::wstring path = choose_file(p, L"名前を付けて保存", true);
  return !path.empty() && write_settings(p, path_of(path));
}

}  // namespace orv::win
