#include "app/file_dialog_win.h"

#include <commdlg.h>

namespace orv::win {
namespace {

constexpr wchar_t kInitialFolder[] = L"C:\\WORK\\VC6\\ORVELLAN";

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

void report_file_dialog_failure() {
  MessageBoxW(nullptr, L"エラーが発生しました。アプリケーションを終了します。", L"エラー", MB_OK);
}

void report_chooser_failure() {
  MessageBoxW(nullptr, L"ファイルを選ぶダイアログを開けませんでした。", L"エラー",
              MB_OK | MB_TASKMODAL | MB_ICONERROR);
}

void report_missing_file() {
  MessageBoxW(nullptr,
              L"指定したファイルが見つかりませんでした。\nもう一度ファイル名を入力してください。",
              L"エラー", MB_OK | MB_TASKMODAL | MB_ICONWARNING);
}

void report_unwritable_file() {
  MessageBoxW(nullptr, L"ファイルを開くことができませんでした。", L"エラー",
              MB_OK | MB_TASKMODAL | MB_ICONERROR);
}

void report_damaged_file(const std::wstring& what, const std::wstring& path) {
  const std::wstring text = what + L"\n" + path;
  MessageBoxW(nullptr, text.c_str(), L"エラー", MB_OK | MB_TASKMODAL | MB_ICONWARNING);
}

}  // namespace orv::win
