// The Win32 half of the core's file calls, for both Windows executables:
// every path goes to the wide calls, so a name in any script opens.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "settings_file/file_system.h"
#include "win/platform/text.h"

namespace orv {
namespace {

std::wstring wide(const FilePath& path) {
  return win::widen(path.text());
}

std::string windows_reason(DWORD code) {
  return "Windows error " + std::to_string(code);
}

}  // namespace

int open_for_reading(const FilePath& path) {
  return _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY);
}

int create_new_file(const FilePath& path) {
  return _wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}

int open_for_appending(const FilePath& path) {
  return _wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}

bool write_and_close(int file, std::string_view text) {
  bool written = true;
  while (written && !text.empty()) {
    const int n = _write(file, text.data(), static_cast<unsigned>(text.size()));
    written = n > 0;
    if (written) text.remove_prefix(static_cast<size_t>(n));
  }
  const bool committed = _commit(file) == 0;
  return _close(file) == 0 && committed && written;
}

bool replace_file(const FilePath& from, const FilePath& to, std::string& error) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  const DWORD code = GetLastError();
  error = "cannot replace " + to.text() + ": " + windows_reason(code);
  return false;
}

void remove_file(const FilePath& path) {
  DeleteFileW(wide(path).c_str());
}

bool file_exists(const FilePath& path) {
  return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long file_size(const FilePath& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::string> files_in(const FilePath& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE listing = FindFirstFileW(wide(folder / "*").c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(win::narrow(found.cFileName));
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  return names;
}

bool make_folders(const FilePath& path, std::string& error) {
  if (path.empty() || file_exists(path)) return true;
  const FilePath above = path.folder();
  if (!above.empty() && above != path && !make_folders(above, error)) return false;
  if (CreateDirectoryW(wide(path).c_str(), nullptr)) return true;
  const DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS) return true;
  error = "cannot make the folder " + path.text() + ": " + windows_reason(code);
  return false;
}

}  // namespace orv
