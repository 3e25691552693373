#include "app.h"

#include <shlobj.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "settings_files.h"
#include "ui.h"

namespace e2e {
namespace {

std::wstring program_path() {
  const char* path = std::getenv("ORV_EXE");
  if (!path) throw std::runtime_error("ORV_EXE is not set");
  std::wstring wide(path, path + std::strlen(path));
  if (!wide.empty() && wide[0] == L'/') {  // a Unix path: the Z: drive
    for (wchar_t& c : wide)
      if (c == L'/') c = L'\\';
    wide = L"Z:" + wide;
  }
  return wide;
}

std::wstring appdata_folder() {
  wchar_t buffer[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH) == 0)
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return buffer;
}

}  // namespace

std::wstring ini_path() {
  return appdata_folder() + L"\\ORVELLAN\\ORVELLAN.ini";
}

std::string read_ini() {
  return file_bytes(ini_path());
}

bool ini_holds(const std::string& line) {
  return wait_until([&] { return read_ini().find(line) != std::string::npos; }, 3000);
}

std::string ini_with(std::initializer_list<std::string> lines) {
  std::string text = "[ORVELLAN_section]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

PROCESS_INFORMATION App::start_process() {
  std::wstring command = L"\"" + program_path() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    throw std::runtime_error("cannot start orvellan.exe");
  return process;
}

App::App(const std::string& ini) {
  const std::wstring folder = appdata_folder() + L"\\ORVELLAN";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW(ini_path().c_str());
  if (!ini.empty()) write_bytes(ini_path(), ini);
  process_ = start_process();
  main_window_ = wait_window(pid(), L"ORVELLAN", 20000, L"ORVELLAN");
  if (main_window_) return;
  stop();  // a constructor that throws leaves no object to destroy
  throw std::runtime_error("orvellan.exe showed no main window within 20 s");
}

App::~App() {
  stop();
}

void App::stop() {
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool App::wait_exit(int timeout_ms) {
  return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout_ms)) == WAIT_OBJECT_0;
}

DWORD App::exit_code() const {
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

}  // namespace e2e
