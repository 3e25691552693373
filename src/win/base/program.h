// Everything the running program holds, in named parts: the shell (its
// windows), the session of the core, the configuration's store and the
// links with the window that takes their events. Created once by wWinMain
// and handed to every window and dialog (never a global).
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <array>
#include <map>
#include <string>

#include "app/link_handling.h"
#include "app/session.h"
#include "link/link_events.h"
#include "protocol/command.h"
#include "win/platform/profile_store.h"
#include "win/platform/serial_link.h"
#include "win/platform/tcp_client_link.h"
#include "win/platform/tcp_server_link.h"

namespace orv::win {

inline constexpr int kPanelButtons = 13;

// The program's windows and what they show.
struct Shell {
  HINSTANCE instance = nullptr;
  HWND main_window = nullptr;
  HWND status_bar = nullptr;
  std::array<HWND, kPanelButtons> buttons{};
  HACCEL accelerators = nullptr;
  std::wstring window_class;
  std::wstring window_title;
  std::wstring status_text;  // what the status bar shows now
  // What the status bar says when no button hint shows, until the next hint.
  std::wstring status_note;
  // The modal dialog open now: it is closed when the status window fails,
  // and repainted when a glyph arrives. Null while none is open.
  HWND current_dialog = nullptr;
  // The traffic log window while it is open (modeless, never current_dialog).
  HWND traffic_window = nullptr;
  // The system's file dialog failed: saves go to a recovery file from now on.
  bool file_dialog_failed = false;
};

// The links, and the message-only window, living as long as the program,
// that takes their events on the window thread.
struct Links {
  explicit Links(Session& session);
  Links(const Links&) = delete;
  Links& operator=(const Links&) = delete;

  HWND window = nullptr;
  LinkEventQueue events;
  SerialLink serial;
  TcpClientLink client;
  TcpServerLink server;
  // The window to tell (WM_APP_RUN_SETTLED, the requester in wParam) when
  // a command of a requester settles: a run paced by its replies.
  std::map<RequesterId, HWND> woken_on_settle;

  // A TCP/IP socket is open, client or server (the interface cannot change).
  bool tcp_open() const;
};

struct Program {
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Shell shell;
  Session session;
  WinProfileStore profile;
  Links links;
};

// The boxes of the TCP/IP link's own failures: caption "TREVALIX", the
// error icon, no beep.
void report_tcp_failure(const std::string& text);

// The model menu's choice: the settings follow the model (apply_model), the
// configuration file keeps it, the menu marks it. Nothing when it is the
// model in use already.
void switch_model(Program& program, int model);

// The status bar's text, and a note that stays there until the pointer
// shows a button's hint.
void show_status(Program& program, const std::wstring& text);
void note_in_status_line(Program& program, const std::wstring& text);

// The interface or the serial line changed: the main window follows.
void line_changed(Program& program);

// (Re)opens the configured COM port with its reader; each failure is
// reported in the error box.
void open_com_port(Program& program);
// A serial port that stopped working is opened again, quietly; the status
// line says when it is back.
void reopen_lost_port(Program& program);

// Sends the operator's command to the selected unit (or, for the LAN
// converter's commands, over the serial line) and shows what a failed send
// must show. `retries`: a reply-paced run's more tries of a late reply.
void send_to_unit(Program& program, const Command& command, int retries = 0);
void send_to_converter(Program& program, const Command& command, int retries = 0);

// A command that needs the reply of one unit cannot go to Broadcast on
// RS-485: shows why and returns true when the selection is Broadcast there.
bool refuse_broadcast(Program& program);

// A dialog's "設定": dropped while a reply is awaited, otherwise one single
// command.
void send_single_command(Program& program, const Command& command);

}  // namespace orv::win
