// Everything the running program holds: the application state of the core
// and the platform objects around it. Created once by wWinMain and handed to
// every window and dialog (never a global).
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/app_state.h"
#include "app/profile_store_win.h"
#include "link/dispatch.h"
#include "link/serial_port_win.h"

namespace orv::win {

struct Program;

// Where dispatch_command sends: the serial link, or the TCP/IP link.
class ProgramTransport : public Transport {
 public:
  explicit ProgramTransport(Program& program) : program_(program) {}
  void serial_write(std::string_view bytes) override;
  void tcp_send(std::string_view command) override;

 private:
  Program& program_;
};

inline constexpr int kPanelButtons = 13;

struct Program {
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND status_bar = nullptr;
  std::array<HWND, kPanelButtons> buttons{};
  HACCEL accelerators = nullptr;
  std::wstring window_class;
  std::wstring window_title;

  AppState state;
  WinProfileStore profile;
  SerialLink serial;
  ProgramTransport transport{*this};
  bool tcp_connected = false;  // set by the TCP/IP link once a connection stands
  int running = 0;             // set when the main window is created, cleared on close
  std::wstring status_text;    // what the status bar shows now

  HWND current_dialog() const { return static_cast<HWND>(state.current_dialog); }
  void send(const Command& command) { send_command(state, transport, command); }
};

}  // namespace orv::win
