#include "settings_files.h"

#include <windows.h>

#include <filesystem>

#include "settings_file/settings_file.h"
#include "win/platform/text.h"

namespace e2e {

std::wstring temp_folder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder = std::filesystem::path(temp) / name;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
  return folder.wstring();
}

std::string file_bytes(const std::wstring& path) {
  std::string text, error;
  orv::read_whole_file(orv::win::path_of(path), text, error);
  return text;
}

bool write_bytes(const std::wstring& path, const std::string& bytes) {
  std::string error;
  return orv::write_file_replacing(orv::win::path_of(path), bytes, error);
}

bool write_settings(const std::wstring& path, const orv::DeviceSettings& settings) {
  std::string error;
  return orv::save_settings_file(orv::win::path_of(path), settings, error);
}

bool read_settings(const std::wstring& path, int model, orv::DeviceSettings& settings) {
  settings = orv::settings_for_model(model);
  orv::SettingsFileError error;
  return orv::load_settings_file(orv::win::path_of(path), settings, error);
}

}  // namespace e2e
