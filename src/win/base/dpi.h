// The painted layout (tables, grids, labels, the panel buttons) is given in
// the pixels of a 96-DPI screen. On a screen of another DPI, per monitor,
// each is scaled by DPI/96: coordinates, fonts and lines alike, and mouse
// positions the other way. At 96 DPI nothing changes.
#pragma once

#include <windows.h>

namespace orv::win {

inline constexpr UINT kLayoutDpi = 96;

// The DPI of the monitor the window is on (the screen's without per-monitor
// support).
UINT window_dpi(HWND window);
// The DPI for a window not yet created: the primary screen's.
UINT screen_dpi();

inline int scaled(int layout, UINT dpi) {
  return MulDiv(layout, static_cast<int>(dpi), kLayoutDpi);
}
inline int unscaled(int pixels, UINT dpi) {
  return MulDiv(pixels, kLayoutDpi, static_cast<int>(dpi));
}
RECT scaled(const RECT& layout, UINT dpi);

// Invalidates a rectangle of the layout, in the window's pixels.
void invalidate_layout(HWND window, const RECT& layout);

// The text of the painted tables, pattern layouts and labels: half-width
// characters 8 and full-width 16 layout pixels wide, 16 high, as the layout
// counts them (a screen's default font may be wider and leave its box).
HFONT create_painted_text_font();

// While it lives, a DC's logical units are the 96-DPI layout; a font made
// in those units grows with the DPI.
class LayoutMapping {
 public:
  LayoutMapping(HDC dc, UINT dpi);
  ~LayoutMapping() { end(); }
  void end();  // the DC's own units again
  LayoutMapping(const LayoutMapping&) = delete;
  LayoutMapping& operator=(const LayoutMapping&) = delete;

 private:
  HDC dc_;
  int saved_ = 0;
};

}  // namespace orv::win
