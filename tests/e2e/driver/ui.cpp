#include "ui.h"

#include <chrono>
#include <thread>

#include "screen.h"

namespace e2e {
namespace {

constexpr UINT kMessageTimeoutMs = 2000;

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                      &result);
  return static_cast<LRESULT>(result);
}

bool starts_with(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The icon a message box shows, told by the colours of its icon control:
// the stop sign is red, the exclamation mark sits on yellow.
Icon icon_in(const RECT& r) {
  int red = 0, yellow = 0;
  for (COLORREF c : capture_screen(r).pixels) {
    const int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
    red += R > 160 && G < 100 && B < 100;
    yellow += R > 180 && G > 160 && B < 100;
  }
  if (red > yellow && red > 10) return Icon::error;
  if (yellow > 10) return Icon::warning;
  return Icon::other;
}

// The box's icon as it shows once painted (a second at most).
Icon icon_of(HWND box) {
  HWND icon = GetDlgItem(box, 0x0440);
  if (!icon || !IsWindowVisible(icon) || send(icon, STM_GETICON, 0, 0) == 0) return Icon::none;
  RECT r{};
  GetWindowRect(icon, &r);
  Icon seen = Icon::other;
  wait_until([&] { return (seen = icon_in(r)) != Icon::other; }, 1000);
  return seen;
}

}  // namespace

std::wstring text_of(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                      kMessageTimeoutMs, &copied);
  return buffer;
}

std::wstring class_of(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

std::vector<HWND> top_windows(DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->pid && IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

long long ms_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

bool wait_until(const std::function<bool()>& ready, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (ready()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

HWND wait_window(DWORD pid, const std::wstring& caption_prefix, int timeout_ms,
                 const wchar_t* window_class) {
  HWND found = nullptr;
  wait_until(
      [&] {
        for (HWND w : top_windows(pid)) {
          if (window_class && class_of(w) != window_class) continue;
          if (starts_with(text_of(w), caption_prefix)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeout_ms);
  return found;
}

std::optional<MessageBoxSeen> wait_message_box(DWORD pid, int timeout_ms) {
  MessageBoxSeen box;
  const bool seen = wait_until(
      [&] {
        for (HWND w : top_windows(pid)) {
          if (class_of(w) != L"#32770" || !GetDlgItem(w, 0xFFFF)) continue;
          box.window = w;
          return true;
        }
        return false;
      },
      timeout_ms);
  if (!seen) return std::nullopt;
  box.caption = text_of(box.window);
  box.text = text_of(GetDlgItem(box.window, 0xFFFF));
  box.icon = icon_of(box.window);
  return box;
}

void answer_box(const MessageBoxSeen& box, int button) {
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, button)));
  wait_until([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, 3000);
}

void click(HWND dialog, int control_id) {
  PostMessageW(GetDlgItem(dialog, control_id), BM_CLICK, 0, 0);
}

void choose(HWND dialog, int combo_id, int index) {
  HWND combo = GetDlgItem(dialog, combo_id);
  send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  send(dialog, WM_COMMAND, MAKEWPARAM(combo_id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int selection(HWND dialog, int combo_id) {
  return static_cast<int>(send(GetDlgItem(dialog, combo_id), CB_GETCURSEL, 0, 0));
}

int item_count(HWND dialog, int combo_id) {
  return static_cast<int>(send(GetDlgItem(dialog, combo_id), CB_GETCOUNT, 0, 0));
}

std::wstring item_text(HWND dialog, int combo_id, int index) {
  wchar_t buffer[256] = {};
  send(GetDlgItem(dialog, combo_id), CB_GETLBTEXT, static_cast<WPARAM>(index),
       reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

int list_row_count(HWND dialog, int list_id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, list_id, LB_GETCOUNT, 0, 0));
}

std::wstring list_row_text(HWND dialog, int list_id, int row) {
  HWND list = GetDlgItem(dialog, list_id);
  const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

void set_address(HWND dialog, int control, int a, int b, int c, int d) {
  SendMessageW(GetDlgItem(dialog, control), IPM_SETADDRESS, 0,
               static_cast<LPARAM>(MAKEIPADDRESS(a, b, c, d)));
}

void double_click_row(HWND dialog, int list, int row) {
  HWND box = GetDlgItem(dialog, list);
  SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(list, LBN_DBLCLK), reinterpret_cast<LPARAM>(box));
}

bool is_enabled(HWND dialog, int control_id) {
  return IsWindowEnabled(GetDlgItem(dialog, control_id));
}

std::wstring control_text(HWND dialog, int control_id) {
  return text_of(GetDlgItem(dialog, control_id));
}

std::wstring clipboard_text() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void post_command(HWND window, int command_id) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(command_id, 0), 0);
}

void press_key(HWND window, UINT virtual_key) {
  PostMessageW(window, WM_KEYDOWN, virtual_key, 1);
  PostMessageW(window, WM_KEYUP, virtual_key, 1 | (1u << 30) | (1u << 31));
}

bool choose_file(DWORD pid, const std::wstring& caption, const std::wstring& path) {
  HWND dialog = wait_window(pid, caption, 5000, L"#32770");
  if (!dialog) return false;
  if (path.empty()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return wait_until([&] { return !IsWindow(dialog); }, 5000);
  }
  // The file name box of the common dialog: a combo box in the Explorer
  // style, an edit in the old style.
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  if (!name) return false;
  send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return wait_until([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
}

ResponseProbe::ResponseProbe(HWND window) : window_(window) {
  thread_ = CreateThread(
      nullptr, 0,
      [](void* self) -> DWORD {
        auto* probe = static_cast<ResponseProbe*>(self);
        while (!probe->stop_) {
          const auto sent = std::chrono::steady_clock::now();
          DWORD_PTR ignored = 0;
          SendMessageTimeoutW(probe->window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
          const long long waited = ms_since(sent);
          if (waited > probe->longest_ms_) probe->longest_ms_ = waited;
          Sleep(50);
        }
        return 0;
      },
      this, 0, nullptr);
}

ResponseProbe::~ResponseProbe() {
  stop_ = true;
  WaitForSingleObject(thread_, 15000);
  CloseHandle(thread_);
}

bool wait_painted(HWND window, int timeout_ms) {
  // The window's pending paint is cleared only once its WM_PAINT has run.
  if (!wait_until([&] { return GetUpdateRect(window, nullptr, FALSE) == FALSE; }, timeout_ms))
    return false;
  // Wine shows what was painted when the window's thread next waits for a
  // message: two round trips through its queue let it get there.
  for (int i = 0; i < 2; ++i) send(window, WM_NULL, 0, 0);
  return true;
}

}  // namespace e2e
