// Files for the tests, written and read with the program's own core, in a
// folder of the test's own.
#pragma once

#include <string>

#include "protocol/device_settings.h"
#include "random_settings.h"

namespace e2e {

// A folder of its own under the Windows temporary folder, emptied first.
std::wstring temp_folder(const std::wstring& name);

using orv::test::random_settings;

// A file's bytes (empty when it cannot be read), and writing them.
std::string file_bytes(const std::wstring& path);
bool write_bytes(const std::wstring& path, const std::string& bytes);

bool write_settings(const std::wstring& path, const orv::DeviceSettings& settings);
bool read_settings(const std::wstring& path, int model, orv::DeviceSettings& settings);

}  // namespace e2e
