// ORVELLAN.ini through the private profile functions, kept per user in
// %APPDATA%\ORVELLAN (the folder is made when missing).
#pragma once

#include <string>

#include "app/configuration.h"

namespace orv::win {

class WinProfileStore : public ProfileStore {
 public:
  WinProfileStore();
  std::string read(std::string_view section, std::string_view key, std::string_view default_value,
                   size_t buffer_size) override;
  bool write(std::string_view section, std::string_view key, std::string_view value) override;
  const std::wstring& path() const { return path_; }
  std::wstring folder() const { return path_.substr(0, path_.rfind(L'\\')); }

 private:
  std::wstring path_;
};

}  // namespace orv::win
