#include "win/base/dpi.h"

namespace orv::win {

UINT screen_dpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

// GetDpiForWindow is looked up, so that the program still starts where
// Windows has no per-monitor DPI.
UINT window_dpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = dpi_for_window && window ? dpi_for_window(window) : 0;
  return dpi > 0 ? dpi : screen_dpi();
}

RECT scaled(const RECT& layout, UINT dpi) {
  return RECT{scaled(layout.left, dpi), scaled(layout.top, dpi), scaled(layout.right, dpi),
              scaled(layout.bottom, dpi)};
}

HFONT create_painted_text_font() {
  return CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
}

void invalidate_layout(HWND window, const RECT& layout) {
  RECT pixels = scaled(layout, window_dpi(window));
  InflateRect(&pixels, 1, 1);  // what rounding leaves at an edge
  InvalidateRect(window, &pixels, FALSE);
}

LayoutMapping::LayoutMapping(HDC dc, UINT dpi) : dc_(dc) {
  if (dpi == kLayoutDpi) return;
  saved_ = SaveDC(dc);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, kLayoutDpi, kLayoutDpi, nullptr);
  SetViewportExtEx(dc, static_cast<int>(dpi), static_cast<int>(dpi), nullptr);
}

void LayoutMapping::end() {
  if (saved_ != 0) RestoreDC(dc_, saved_);
  saved_ = 0;
}

}  // namespace orv::win
