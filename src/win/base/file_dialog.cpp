#include "win/base/file_dialog.h"

#include <commdlg.h>

#include <cwchar>

#include "settings_file/settings_file.h"
#include "win/base/message_boxes.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

constexpr wchar_t kInitialFolder[] = L"C:\\WORK\\VC6\\ORVELLAN";
constexpr UINT kErrorStyle = MB_OK | MB_TASKMODAL | MB_ICONERROR;
constexpr UINT kWarningStyle = MB_OK | MB_TASKMODAL | MB_ICONWARNING;

}  // namespace

FileChoice ask_for_file(HWND owner, const wchar_t* title, const wchar_t* extension,
                        const std::wstring& current, bool for_saving) {
  // "*.dat" shown as "*.dat": the pattern is its own description.
  const std::wstring pattern = std::wstring(L"*.") + extension;
  const std::wstring filter = pattern + L'\0' + pattern + L'\0';
  wchar_t file[MAX_PATH] = {};
  wchar_t file_title[100] = {};
  current.copy(file, MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrFileTitle = file_title;
  dialog.nMaxFileTitle = 100;
  dialog.lpstrInitialDir = kInitialFolder;
  dialog.lpstrDefExt = extension;
  dialog.lpstrTitle = title;
  dialog.Flags = OFN_HIDEREADONLY | (for_saving ? OFN_OVERWRITEPROMPT : 0);
  const BOOL chosen = for_saving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (chosen) return FileChoice{file, false};
  return FileChoice{{}, CommDlgExtendedError() != 0};
}

bool save_for_recovery(const std::wstring& folder, const std::string& text,
                       const wchar_t* extension) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t name[64] = {};
  swprintf(name, 64, L"\\recovered-%04u%02u%02u-%02u%02u%02u.%ls", now.wYear, now.wMonth, now.wDay,
           now.wHour, now.wMinute, now.wSecond, extension);
  const std::wstring path = folder + name;
  std::string error;
  if (!write_file_replacing(path_of(path), text, error)) {
    report_unwritable_file();
    return false;
  }
  show_message(Box{L"ファイルを選ぶダイアログが使えないため、次のファイルに保存しました。\n" + path,
                   L"保存", MB_OK | MB_TASKMODAL | MB_ICONINFORMATION});
  return true;
}

void report_file_dialog_failure() {
  show_message(Box{L"エラーが発生しました。アプリケーションを終了します。", L"エラー", MB_OK});
}

void report_chooser_failure() {
  show_message(Box{L"ファイルを選ぶダイアログを開けませんでした。", L"エラー", kErrorStyle});
}

void report_missing_file() {
  show_message(
      Box{L"指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。",
          L"エラー", kWarningStyle});
}

void report_unwritable_file() {
  show_message(Box{L"ファイルを開くことができませんでした。", L"エラー", kErrorStyle});
}

void report_damaged_file(const std::wstring& what, const std::wstring& path) {
  show_message(Box{what + L"\n" + path, L"エラー", kWarningStyle});
}

}  // namespace orv::win
