// What the screen shows: a captured rectangle of pixels, ink counts for
// painted text, the rows of an open menu, and screenshots for people.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Capture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row by row
  COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The screen's pixels in a rectangle of screen coordinates.
Capture capture_screen(const RECT& screen_rect);
// The same once painting there has settled: two captures in a row alike
// (or the last one after `timeout_ms`).
Capture steady_capture(const RECT& screen_rect, int timeout_ms = 2000);
// A rectangle of a window's client area.
Capture capture_client(HWND window, const RECT& client_rect);

// A pixel as the screen shows it; x and y in the window's client area.
COLORREF client_pixel(HWND window, int x, int y);
// Dark pixels (painted text) in a rectangle of a window's client area, and
// whether more than `pixels` of them show there within three seconds.
int ink_in(HWND window, const RECT& client_rect);
bool ink_shows(HWND window, const RECT& client_rect, int pixels);

struct MenuRow {
  bool enabled = false;
  bool marked = false;  // check or radio mark
};

// Opens the window's top-level menu number `index` with the keyboard, reads
// its items (separators left out) from the screen, and closes it again.
std::vector<MenuRow> read_menu(DWORD pid, HWND window, int index);

// Whether each row of the window's top-level menu number `index` is
// enabled, or marked.
std::vector<bool> menu_rows(DWORD pid, HWND window, int index, bool MenuRow::*state);

// Writes the window's area of the screen to $ORV_SCREENSHOTS/<name>.ppm, when
// that variable names a folder.
void save_screenshot(HWND window, const std::string& name);

}  // namespace e2e
