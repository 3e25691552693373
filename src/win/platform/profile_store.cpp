#include "win/platform/profile_store.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "win/platform/text.h"

namespace orv::win {
namespace {

std::wstring application_data_folder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return buffer;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
    return buffer;
  return L".";
}

}  // namespace

WinProfileStore::WinProfileStore() {
  const std::wstring folder = application_data_folder() + L"\\ORVELLAN";
  CreateDirectoryW(folder.c_str(), nullptr);
  path_ = folder + L"\\ORVELLAN.ini";
}

std::string WinProfileStore::read(std::string_view section, std::string_view key,
                                  std::string_view default_value, size_t buffer_size) {
  std::vector<wchar_t> buffer(buffer_size > 0 ? buffer_size : 1, L'\0');
  GetPrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(default_value).c_str(),
                           buffer.data(), static_cast<DWORD>(buffer.size()), path_.c_str());
  return narrow(buffer.data());
}

bool WinProfileStore::write(std::string_view section, std::string_view key,
                            std::string_view value) {
  return WritePrivateProfileStringW(widen(section).c_str(), widen(key).c_str(),
                                    widen(value).c_str(), path_.c_str()) != FALSE;
}

}  // namespace orv::win
