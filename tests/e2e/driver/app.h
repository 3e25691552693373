// One run of orvellan.exe under test, with its own configuration file.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace e2e {

// Where the program keeps ORVELLAN.ini for this Windows user.
std::wstring ini_path();
std::string read_ini();
// Whether the configuration file holds `line` ("key=value"), now or within
// three seconds.
bool ini_holds(const std::string& line);

class App {
 public:
  // Writes `ini` as the configuration (none at all when empty) and starts
  // the program; waits until its main window shows, and fails the test
  // (throws) when it does not.
  explicit App(const std::string& ini = "");
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  DWORD pid() const { return process_.dwProcessId; }
  HWND main_window() const { return main_window_; }
  // Waits for the process to end; true when it did within the time.
  bool wait_exit(int timeout_ms);
  DWORD exit_code() const;

  // Starts a further copy (for the single-instance check) without waiting
  // for a window.
  static PROCESS_INFORMATION start_process();

 private:
  void stop();

  PROCESS_INFORMATION process_{};
  HWND main_window_ = nullptr;
};

// Joins "key=value" lines into an ORVELLAN.ini body.
std::string ini_with(std::initializer_list<std::string> lines);

}  // namespace e2e
