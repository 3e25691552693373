// The common Open and Save dialogs as the program uses them: one filter of
// the given extension, the initial folder the program has always offered,
// the read-only box hidden, and for saving the question before overwriting.
#pragma once

#include <windows.h>

#include <string>

namespace orv::win {

struct FileChoice {
  std::wstring path;           // empty when the operator gave up
  bool dialog_failed = false;  // the dialog itself failed (not a cancel)
};

// `extension` without its dot ("dat", "txl"); `current` the file in use.
FileChoice ask_for_file(HWND owner, const wchar_t* title, const wchar_t* extension,
                        const std::wstring& current, bool for_saving);

// The messages of the file commands, the same for settings and glyph files.
void report_file_dialog_failure();
// The same failure where the program goes on (the title CSV, the traffic log).
void report_chooser_failure();
void report_missing_file();     // the Open dialog then comes again
void report_unwritable_file();  // a save that could not be made
// When the file dialog itself has failed, a save cannot ask for a name: the
// text goes to a file of its own in `folder` ("recovered-YYYYMMDD-HHMMSS" and
// the extension), which a box names. False when even that cannot be written.
bool save_for_recovery(const std::wstring& folder, const std::string& text,
                       const wchar_t* extension);

// A file that is not whole: `what` says why, and the file is named.
void report_damaged_file(const std::wstring& what, const std::wstring& path);

// Why a file larger than any the program writes is refused (the reader
// stops at its bound, so an endless one is refused too).
inline constexpr const wchar_t* kTooLargeFile = L"ファイルが大きすぎます（1 MB を超えています）。";

}  // namespace orv::win
