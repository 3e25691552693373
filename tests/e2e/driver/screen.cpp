#include "screen.h"

#include <cstdlib>
#include <fstream>
#include <thread>

#include "ui.h"

namespace e2e {
namespace {

int luminance(COLORREF c) {
  return (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10;
}

int distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

HWND open_popup_menu(DWORD pid) {
  HWND popup = nullptr;
  wait_until(
      [&] {
        for (HWND w : top_windows(pid))
          if (class_of(w) == L"#32768") popup = w;
        return popup != nullptr;
      },
      3000);
  return popup;
}

// Bands of rows that hold something other than their own background.
struct Band {
  int top, bottom;
};

std::vector<Band> ink_bands(const Capture& c, int margin) {
  std::vector<Band> bands;
  int start = -1;
  for (int y = margin; y < c.height - margin; ++y) {
    const COLORREF background = c.at(margin, y);
    bool ink = false;
    for (int x = margin; x < c.width - margin && !ink; ++x)
      ink = distance(c.at(x, y), background) > 90;
    if (ink && start < 0) start = y;
    if (!ink && start >= 0) {
      bands.push_back({start, y});
      start = -1;
    }
  }
  if (start >= 0) bands.push_back({start, c.height - margin});
  return bands;
}

MenuRow classify(const Capture& c, const Band& band, int margin) {
  const int middle = (band.top + band.bottom) / 2;
  const COLORREF background = c.at(margin, middle);
  const bool highlighted = GetBValue(background) > GetRValue(background) + 50;
  MenuRow row;
  for (int y = band.top; y < band.bottom; ++y) {
    for (int x = margin; x < c.width - margin; ++x) {
      const COLORREF p = c.at(x, y);
      if (distance(p, background) <= 90) continue;
      const int l = luminance(p);
      if (highlighted ? l > 200 : l < 70) row.enabled = true;
      if (x < margin + 12) row.marked = true;
    }
  }
  return row;
}

}  // namespace

Capture capture_screen(const RECT& r) {
  Capture capture;
  capture.width = r.right - r.left;
  capture.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* words = static_cast<const DWORD*>(bits);
  capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
  for (size_t i = 0; i < capture.pixels.size(); ++i) {
    const DWORD w = words[i];  // 0x00RRGGBB
    capture.pixels[i] = RGB((w >> 16) & 0xFF, (w >> 8) & 0xFF, w & 0xFF);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

Capture capture_client(HWND window, const RECT& client_rect) {
  POINT top_left{client_rect.left, client_rect.top};
  ClientToScreen(window, &top_left);
  return capture_screen(RECT{top_left.x, top_left.y,
                             top_left.x + (client_rect.right - client_rect.left),
                             top_left.y + (client_rect.bottom - client_rect.top)});
}

Capture steady_capture(const RECT& screen_rect, int timeout_ms) {
  Capture last = capture_screen(screen_rect);
  wait_until(
      [&] {
        Capture next = capture_screen(screen_rect);
        const bool same = next.pixels == last.pixels;
        last = std::move(next);
        return same;
      },
      timeout_ms);
  return last;
}

COLORREF client_pixel(HWND window, int x, int y) {
  return capture_client(window, RECT{x, y, x + 1, y + 1}).at(0, 0);
}

int ink_in(HWND window, const RECT& client_rect) {
  const Capture c = capture_client(window, client_rect);
  int ink = 0;
  for (COLORREF p : c.pixels) ink += luminance(p) < 100;
  return ink;
}

bool ink_shows(HWND window, const RECT& client_rect, int pixels) {
  return wait_until([&] { return ink_in(window, client_rect) > pixels; }, 3000);
}

namespace {

bool in_menu_mode(HWND window) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE);
}

// The popup of menu INDEX, opened from the keyboard. A key pressed while the
// window is still taking the focus back from a closed dialog can be lost, so
// a try that opens nothing leaves menu mode and goes again.
HWND drop_down_menu(DWORD pid, HWND window, int index) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    wait_until([&] { return in_menu_mode(window); }, 2000);
    for (int i = 0; i < index; ++i) press_key(window, VK_RIGHT);
    press_key(window, VK_DOWN);
    if (HWND popup = open_popup_menu(pid)) return popup;
    press_key(window, VK_ESCAPE);
    press_key(window, VK_ESCAPE);
    wait_until([&] { return !in_menu_mode(window); }, 2000);
  }
  return nullptr;
}

}  // namespace

std::vector<MenuRow> read_menu(DWORD pid, HWND window, int index) {
  HWND popup = drop_down_menu(pid, window, index);
  std::vector<MenuRow> rows;
  if (!popup) return rows;
  RECT r{};
  GetWindowRect(popup, &r);
  const Capture c = steady_capture(r);
  constexpr int kMargin = 3;
  for (const Band& band : ink_bands(c, kMargin))
    if (band.bottom - band.top > 4) rows.push_back(classify(c, band, kMargin));
  press_key(window, VK_ESCAPE);
  press_key(window, VK_ESCAPE);
  wait_until([&] { return !IsWindowVisible(popup); }, 2000);
  return rows;
}

std::vector<bool> menu_rows(DWORD pid, HWND window, int index, bool MenuRow::*state) {
  std::vector<bool> states;
  for (const MenuRow& row : read_menu(pid, window, index)) states.push_back(row.*state);
  return states;
}

void save_screenshot(HWND window, const std::string& name) {
  const char* folder = std::getenv("ORV_SCREENSHOTS");
  if (!folder || !*folder) return;
  RECT r{};
  GetWindowRect(window, &r);
  const Capture c = steady_capture(r);
  std::string path = std::string(folder) + "\\" + name + ".ppm";
  if (path[0] == '/') path = "Z:" + path;
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << c.width << ' ' << c.height << "\n255\n";
  for (COLORREF p : c.pixels) out << GetRValue(p) << GetGValue(p) << GetBValue(p);
}

}  // namespace e2e
