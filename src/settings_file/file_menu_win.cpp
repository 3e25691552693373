#include "settings_file/file_menu_win.h"

#include <commdlg.h>

#include <string>

#include "app/timers_and_messages_win.h"
#include "settings_file/settings_file.h"

namespace orv::win {
namespace {

constexpr wchar_t kFilter[] = L"*.dat\0*.dat\0";
constexpr wchar_t kInitialFolder[] = L"C:\\WORK\\VC6\\ORVELLAN";

bool write_settings(Program& p, const std::filesystem::path& path) {
  std::string error;
  if (!save_settings_file(path, p.session.settings, error)) {
    MessageBoxW(nullptr, L"ファイルを開くことができませんでした。", L"エラー",
                MB_OK | MB_TASKMODAL | MB_ICONERROR);
    return false;
  }
  p.session.settings.settingsFilePath = path;
  p.session.settings.settingsDirty = 0;
  SendMessageW(p.main_window, WM_APP_DOCUMENT_CHANGED, 0, 0);
  return true;
}

}  // namespace

bool file_save(Program& p) {
  if (p.session.settings.settingsFilePath.empty()) return file_save_as(p);
  return write_settings(p, p.session.settings.settingsFilePath);
}

bool file_save_as(Program& p) {
  wchar_t file[MAX_PATH] = {};
  wchar_t title[100] = {};
  p.session.settings.settingsFilePath.wstring().copy(file, MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = p.main_window;
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = title;
  dialog.nMaxFileTitle = 100;
  dialog.lpstrInitialDir = kInitialFolder;
  dialog.lpstrDefExt = L"dat";
  dialog.lpstrTitle = L"名前を付けて保存";
  dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&dialog)) {
    if (CommDlgExtendedError() != 0) {
      // The file dialog itself failed: the program ends, as the message
      // says, through its close path, which must not ask to save again.
      MessageBoxW(nullptr, L"エラーが発生しました。アプリケーションを終了します。", L"エラー",
                  MB_OK);
      p.session.settings.settingsDirty = 0;
      PostMessageW(p.main_window, WM_CLOSE, 0, 0);
    }
    return false;
  }
  return write_settings(p, file);
}

}  // namespace orv::win
