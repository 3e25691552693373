#include "settings_file/file_menu_win.h"

#include <commdlg.h>

#include <string>

#include "app/main_window.h"
#include "settings_file/settings_file.h"

namespace orv::win {
namespace {

constexpr wchar_t kFilter[] = L"*.dat\0*.dat\0";
constexpr wchar_t kInitialFolder[] = L"C:\\WORK\\VC6\\ORVELLAN";

bool write_settings(Program& p, const std::filesystem::path& path) {
  std::string error;
  if (!save_settings_file(path, p.state.settings, error)) {
    MessageBoxW(nullptr, L"ファイルを開くことができませんでした。", L"エラー",
                MB_OK | MB_TASKMODAL | MB_ICONERROR);
    return false;
  }
  p.state.settings.settingsFilePath = path;
  p.state.settings.settingsDirty = 0;
  set_main_caption(p);
  return true;
}

}  // namespace

bool file_save(Program& p) {
  if (p.state.settings.settingsFilePath.empty()) return file_save_as(p);
  return write_settings(p, p.state.settings.settingsFilePath);
}

bool file_save_as(Program& p) {
  wchar_t file[MAX_PATH] = {};
  wchar_t title[100] = {};
  p.state.settings.settingsFilePath.wstring().copy(file, MAX_PATH - 1);
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
      p.state.settings.settingsDirty = 0;
      PostMessageW(p.main_window, WM_CLOSE, 0, 0);
    }
    return false;
  }
  return write_settings(p, file);
}

}  // namespace orv::win
