// What every end-to-end test starts from: the simulators the run script
// started (one per COM port), reset to a quiet state before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app.h"
#include "screen.h"
#include "settings_files.h"
#include "sim_control.h"
#include "ui.h"

namespace e2e {

// The simulators by name: "COM1" (one ORVELLAN unit on RS-232C), "COM2" (an
// RS-485 bus of 8 units that answer with their address), "COM3" (one
// TARQUINE unit on RS-232C; COM4 to COM6 have no device), "TCP_CONVERTER"
// (a converter the program connects to as client, with one unit) and
// "TCP_CONVERTERS" (97 converters that connect to the program as server
// when told to, "connect all", each with a unit of its own).
SimControl& sim(const std::string& name);
// The ports the run script chose: "CONVERTER" and "SERVER".
int tcp_port(const std::string& name);

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;

 public:
  // Opens a dialog by its menu command and returns it once it shows; fails
  // the test (throws) when it does not.
  static HWND open_dialog(const App& app, int command, const std::wstring& caption_prefix);
  // The next message box, answered with `button` once it has been read.
  static MessageBoxSeen next_box(const App& app, int timeout_ms = 5000, int button = IDOK);
  // Expects the box to show `text` under `caption` with `icon`.
  static void expect_box(const MessageBoxSeen& box, const std::wstring& text,
                         const std::wstring& caption, Icon icon);
  // Clicks `button` and expects the command it sends to be acknowledged.
  static void expect_success(const App& app, HWND dialog, int button);
  // True when no message box shows within `ms`.
  static bool no_box_within(const App& app, int ms);
  // Presses a dialog's "Close" and waits until it has ended.
  static bool close_dialog(HWND dialog);
  // Chooses the program-wide slave address in "機器のスレーブアドレス".
  static void select_slave_address(const App& app, int item);
  // Changes the settings as an operator would: the font size of ch.01
  // becomes SMALL.
  static void change_a_setting(const App& app);
};

// A whole run of a unit's settings takes minutes at most.
inline constexpr int kFullRunMs = 150000;

// Starts a read-all or set-all dialog's run and waits for its closing box;
// its time and the main window's longest answer meanwhile go into the
// test's properties as PROPERTY_ms and PROPERTY_longest_answer_ms.
MessageBoxSeen run_to_the_end(const App& app, HWND dialog, const char* property);

// What the main window's status line says now.
std::wstring status_line(const App& app);

// The program as TCP/IP client of the simulated converter, or as the server
// that the 97 simulated converters connect to.
std::string client_ini();
std::string server_ini();
HWND open_client_dialog(const App& app);
HWND open_server_dialog(const App& app);
// Adds 127.0.0.2, 127.0.0.1 and 127.0.0.3 to the open client dialog and
// connects to the second.
void connect_to_the_converter(const App& app, HWND dialog);
// The client dialog opened, the converter connected, the dialog closed.
void connect_through_the_client_dialog(const App& app);

}  // namespace e2e
