// Everything the running program holds: the session of the core and the
// platform objects around it. Created once by wWinMain and handed to every
// window and dialog (never a global).
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "app/session.h"
#include "link/link_events.h"
#include "protocol/command.h"
#include "win/base/profile_store.h"
#include "win/base/serial_link.h"
#include "win/base/tcp_link.h"

namespace orv::win {

inline constexpr int kPanelButtons = 13;

struct Program {
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

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
  // A message-only window, living as long as the program, that takes the
  // links' events on the window thread.
  HWND link_window = nullptr;
  bool taking_link_events = false;  // a box shown for one of them is up
  // Events that came while such a box was up, in their order, for the loop
  // that showed it; the repeats of the failure on show are only counted.
  std::deque<LinkEvent> set_aside;
  struct FailureOnShow {
    std::string cause;
    int repeats = 0;
  };
  std::vector<FailureOnShow> failures_on_show;  // outermost first
  // The system's file dialog failed: saves go to a recovery file from now on.
  bool file_dialog_failed = false;
  // The reply-paced run under way: its dialog is ticked (a WM_TIMER of the
  // run's timer) as soon as a reply ends the wait. Null dialog: none.
  struct PacedRun {
    HWND dialog = nullptr;
    UINT_PTR timer = 0;
  };
  PacedRun reply_paced_run;
  // The traffic log window while it is open (modeless, never current_dialog).
  HWND traffic_window = nullptr;

  Session session;
  WinProfileStore profile;
  LinkEventQueue events;
  SerialLink serial;
  TcpLink tcp;
};

// The boxes of the TCP/IP link's own failures: caption "TREVALIX", the
// error icon, no beep.
void report_tcp_failure(const std::string& text);

// Creates the link event window; false when it cannot be created.
bool create_link_window(Program& program);

// The model menu's choice: the settings follow the model (apply_model), the
// configuration file keeps it, the menu marks it. Nothing when it is the
// model in use already.
void switch_model(Program& program, int model);
void apply_model_menu_mark(Program& program);
// "成功の表示をステータス行にする": the option turned, kept and marked.
void toggle_success_in_status_line(Program& program);
void apply_option_menu_marks(Program& program);

// Runs until the quit message; returns its code.
int run_message_loop(Program& program);

// The status bar's text, and a note that stays there until the pointer
// shows a button's hint.
void show_status(Program& program, const std::wstring& text);
void note_in_status_line(Program& program, const std::wstring& text);

// The interface or the serial line changed: the main window follows.
void line_changed(Program& program);

// (Re)opens the configured COM port with its reader; each failure is
// reported in the error box.
void open_serial_port(Program& program);
// A serial port that stopped working is opened again, quietly; the status
// line says when it is back.
void reopen_lost_port(Program& program);

// Sends a command to the selected unit (or, for the LAN converter's
// commands, over the serial line) and shows what a failed send must show.
void send_to_unit(Program& program, const Command& command);
void send_to_converter(Program& program, const Command& command);
// The outstanding command once more: timer 1 found its reply late in a
// reply-paced run.
void send_again(Program& program);

// A command that needs the reply of one unit cannot go to Broadcast on
// RS-485: shows why and returns true when the selection is Broadcast there.
bool refuse_broadcast(Program& program);

// A dialog's "設定": dropped while a reply is awaited, otherwise one single
// command.
void send_single_command(Program& program, const Command& command);

}  // namespace orv::win
