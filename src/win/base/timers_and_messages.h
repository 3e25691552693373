// Every timer and private window message of the program, in one place.
#pragma once

#include <windows.h>

#include "app/configuration.h"
#include "link/exchange.h"
#include "win/base/scoped.h"
#include "win/platform/winsock.h"

namespace orv::win {

// Timers: the main window's reply wait and hover hints, and the timers of
// the dialogs that step through a run of commands or poll the unit.
inline constexpr TimerSetting kReplyTimer{1, kTimer1PeriodMs};
inline constexpr TimerSetting kReadAllTimer{2, 300};
inline constexpr TimerSetting kSetAllTimer{3, 400};
inline constexpr TimerSetting kScreenPatternRunTimer{4, 400};
inline constexpr TimerSetting kSwitchingPatternRunTimer{6, 400};
inline constexpr TimerSetting kTitleRunTimer{7, 400};
// A title with external characters: its title and insert commands.
inline constexpr TimerSetting kTitleSetTimer{15, 400};
inline constexpr TimerSetting kHintTimer{8, 50};
inline constexpr TimerSetting kStatusPollTimer{10, 500};
inline constexpr TimerSetting kConverterReadTimer{12, 200};
// "PCの時刻を送信": the clock commands of the date and time dialog.
inline constexpr TimerSetting kClockSyncTimer{19, 200};
// (16: the TCP/IP client's connection attempt, win/platform/tcp_client_link.h.)
// A serial port that stopped working is opened again this often, quietly,
// until it opens (and also before each command).
inline constexpr TimerSetting kSerialReopenTimer{17, 3000};
// How long a success stays in the status line when it is shown there.
inline constexpr TimerSetting kSuccessNoteTimer{18, 3000};
// The traffic log window takes the lines recorded since it last looked.
inline constexpr TimerSetting kTrafficRefreshTimer{14, 200};

// Link events are waiting in the queue (to the link event window).
inline constexpr UINT WM_APP_LINK_EVENTS = WM_APP + 1;
// The settings file in use changed (to the main window): new caption.
inline constexpr UINT WM_APP_DOCUMENT_CHANGED = WM_APP + 2;
// A TCP/IP connection came or went (to the open dialog, which refreshes).
inline constexpr UINT WM_APP_LINK_CHANGED = WM_APP + 3;
// The status grid changed (to the status window, which repaints what changed).
inline constexpr UINT WM_APP_STATUS_CHANGED = WM_APP + 4;
// The interface or the serial line changed (to the main window, whose
// communication entries follow).
inline constexpr UINT WM_APP_LINE_CHANGED = WM_APP + 5;
// A command of a run paced by its replies settled (to the run's window;
// wParam: the requester): the run goes on at once.
inline constexpr UINT WM_APP_RUN_SETTLED = WM_APP + 6;
// The model or an option changed (to the main window, whose menu marks follow).
inline constexpr UINT WM_APP_OPTIONS_CHANGED = WM_APP + 7;
// (WM_USER + 10: the sockets' events, win/platform/winsock.h.)

}  // namespace orv::win
