// The program's entry: refuses a second copy, reads the configuration,
// creates the main window, opens the serial link when the serial interface
// is configured, and runs the message loop.
#include <windows.h>

#include <string>

#include "resource.h"
#include "win/base/link_pump.h"
#include "win/base/message_boxes.h"
#include "win/base/program.h"
#include "win/base/scoped.h"
#include "win/main/main_window.h"

namespace {

using namespace orv;
using namespace orv::win;

constexpr wchar_t kMutexName[] = L"ORVELLAN TCP_X_Mutex";

std::wstring load_string(HINSTANCE instance, UINT id) {
  wchar_t buffer[100] = {};
  LoadStringW(instance, id, buffer, 100);
  return buffer;
}

bool initialise_instance(Program& p, int show) {
  // Start-up defaults are the Session's own; the window comes next.
  p.shell.main_window = create_main_window(p);
  if (!p.shell.main_window) return false;
  apply_configuration(p.session, read_configuration(p.profile));
  apply_interface_menu_state(p);
  apply_menu_marks(p);
  start_reply_timer(p);
  ShowWindow(p.shell.main_window, show);
  UpdateWindow(p.shell.main_window);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // Held for the life of the process. Creating it is also the check: a
  // second copy finds it already there.
  const UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    show_message(Box{L"２重に起動はできません", L"２重起動防止", MB_OK});
    return 0;
  }

  Program program;  // outlives the windows and the reader thread
  program.shell.instance = instance;
  program.shell.window_title = load_string(instance, IDS_APP_TITLE);
  program.shell.window_class = load_string(instance, IDS_WINDOW_CLASS);
  register_main_window_class(program);
  if (!create_link_window(program) || !initialise_instance(program, show)) return 0;
  if (program.session.config.serial_interface()) open_com_port(program);
  program.shell.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  const int code = run_message_loop(program);
  program.links.serial.close();
  DestroyWindow(program.shell.main_window);
  return code;
}
