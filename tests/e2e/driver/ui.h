// Driving the program's windows from another process, as a person would:
// find windows by caption, click, choose list items, type, read texts,
// states, message boxes and painted pixels. Every wait has a deadline.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

std::wstring text_of(HWND window);
std::wstring class_of(HWND window);
std::vector<HWND> top_windows(DWORD pid);

// Polls `ready` every 20 ms until it holds or `timeout_ms` passes.
bool wait_until(const std::function<bool()>& ready, int timeout_ms);
// Milliseconds since `start` (a steady clock's time).
long long ms_since(std::chrono::steady_clock::time_point start);

// A visible top-level window of the process whose caption starts with
// `caption_prefix` (and of the class, when given).
HWND wait_window(DWORD pid, const std::wstring& caption_prefix, int timeout_ms = 5000,
                 const wchar_t* window_class = nullptr);

enum class Icon { none, error, warning, other };

struct MessageBoxSeen {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
  Icon icon = Icon::none;
};

// The next message box of the process (a visible #32770 window with a
// static text 0xFFFF), or nothing after the time-out.
std::optional<MessageBoxSeen> wait_message_box(DWORD pid, int timeout_ms = 5000);
// Presses a button of a message box (IDOK, IDYES, IDNO) and waits until it is gone.
void answer_box(const MessageBoxSeen& box, int button = IDOK);

// Controls of a dialog.
void click(HWND dialog, int control_id);            // posted BM_CLICK
void choose(HWND dialog, int combo_id, int index);  // CB_SETCURSEL + CBN_SELCHANGE
int selection(HWND dialog, int combo_id);
int item_count(HWND dialog, int combo_id);
std::wstring item_text(HWND dialog, int combo_id, int index);
int list_row_count(HWND dialog, int list_id);  // a list box
std::wstring list_row_text(HWND dialog, int list_id, int row);
bool is_enabled(HWND dialog, int control_id);
void set_address(HWND dialog, int control, int a, int b, int c, int d);  // an IP address control
void double_click_row(HWND dialog, int list, int row);                   // a list box
std::wstring control_text(HWND dialog, int control_id);
std::wstring clipboard_text();  // empty when the clipboard holds no text
void post_command(HWND window, int command_id);
void press_key(HWND window, UINT virtual_key);  // posted key down and up

// Waits until the window has no part left to repaint (its last WM_PAINT ran).
bool wait_painted(HWND window, int timeout_ms = 3000);

// Types `path` into a common file dialog of the process with this caption
// and presses its OK button (Cancel for an empty path); false when no such
// dialog shows.
bool choose_file(DWORD pid, const std::wstring& caption, const std::wstring& path);

// Measures how long a window takes to answer: a thread sends it WM_NULL
// every 50 ms and keeps the longest wait for the answer.
class ResponseProbe {
 public:
  explicit ResponseProbe(HWND window);
  ~ResponseProbe();
  ResponseProbe(const ResponseProbe&) = delete;
  ResponseProbe& operator=(const ResponseProbe&) = delete;
  long long longest_ms() const { return longest_ms_; }

 private:
  HWND window_;
  volatile bool stop_ = false;
  volatile long long longest_ms_ = 0;
  HANDLE thread_;
};

}  // namespace e2e
