#include "settings_file/file_menu_win.h"

#include <commdlg.h>

#include <string>

#include "app/text_win.h"
#include "app/timers_and_messages_win.h"
#include "settings_file/settings_file.h"

namespace orv::win {
namespace {

constexpr wchar_t kFilter[] = L"*.dat\0*.dat\0";
constexpr wchar_t kInitialFolder[] = L"C:\\WORK\\VC6\\ORVELLAN";
constexpr wchar_t kErrorCaption[] = L"エラー";

void document_changed(Program& p) {
  SendMessageW(p.main_window, WM_APP_DOCUMENT_CHANGED, 0, 0);
}

void error_message(const std::wstring& text, UINT icon) {
  MessageBoxW(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_TASKMODAL | icon);
}

// The common file dialog itself failed: the program ends, as the message
// says, through its close path, which must not ask to save again.
void end_after_dialog_failure(Program& p) {
  MessageBoxW(nullptr, L"エラーが発生しました。アプリケーションを終了します。", kErrorCaption,
              MB_OK);
  p.session.settings.settingsDirty = 0;
  PostMessageW(p.main_window, WM_CLOSE, 0, 0);
}

// The file dialog for `title`, starting from the file in use; the chosen
// path, or empty when the operator gives up (or the dialog fails, which is
// then reported).
std::wstring choose_file(Program& p, const wchar_t* title, bool for_saving) {
  wchar_t file[MAX_PATH] = {};
  wchar_t file_title[100] = {};
  p.session.settings.settingsFilePath.wstring().copy(file, MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = p.main_window;
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = file_title;
  dialog.nMaxFileTitle = 100;
  dialog.lpstrInitialDir = kInitialFolder;
  dialog.lpstrDefExt = L"dat";
  dialog.lpstrTitle = title;
  dialog.Flags = OFN_HIDEREADONLY | (for_saving ? OFN_OVERWRITEPROMPT : 0);
  const BOOL chosen = for_saving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (chosen) return file;
  if (CommDlgExtendedError() != 0) end_after_dialog_failure(p);
  return {};
}

bool write_settings(Program& p, const std::filesystem::path& path) {
  std::string error;
  if (!save_settings_file(path, p.session.settings, error)) {
    error_message(L"ファイルを開くことができませんでした。", MB_ICONERROR);
    return false;
  }
  p.session.settings.settingsFilePath = path;
  p.session.settings.settingsDirty = 0;
  document_changed(p);
  return true;
}

// A file that is not a whole settings file is refused as a whole; the
// message names the file and the line where it is damaged.
void report_damaged_file(const std::filesystem::path& path, const SettingsFileError& error) {
  const std::wstring why = error.kind == SettingsFileError::Kind::ends_early
                               ? std::wstring(L"ファイルが途中で終わっています。")
                               : L"「" + from_shift_jis(error.token) + L"」は数値ではありません。";
  error_message(L"設定ファイルが壊れているため開けませんでした。\n" + path.wstring() + L"\n" +
                    std::to_wstring(error.line) + L" 行目: " + why,
                MB_ICONWARNING);
}

}  // namespace

bool ask_to_save(Program& p) {
  if (p.session.settings.settingsDirty == 0) return true;
  const int answer = MessageBoxW(p.main_window, L"ファイルが変更されています。保存しますか？",
                                 L"保存確認", MB_YESNO);
  return answer != IDYES || file_save(p);
}

void file_new(Program& p) {
  if (!ask_to_save(p)) return;
  DeviceSettings& settings = p.session.settings;
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
    SettingsFileError error;
    if (load_settings_file(path, p.session.settings, error)) return document_changed(p);
    if (error.kind != SettingsFileError::Kind::unreadable) return report_damaged_file(path, error);
    error_message(
        L"指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。",
        MB_ICONWARNING);
  }
}

bool file_save(Program& p) {
  if (p.session.settings.settingsFilePath.empty()) return file_save_as(p);
  return write_settings(p, p.session.settings.settingsFilePath);
}

bool file_save_as(Program& p) {
  const std::wstring path = choose_file(p, L"名前を付けて保存", true);
  return !path.empty() && write_settings(p, path);
}

}  // namespace orv::win
