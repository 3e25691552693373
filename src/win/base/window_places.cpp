#include "win/base/window_places.h"

#include <optional>

namespace orv::win {
namespace {

constexpr size_t kPlaceBuffer = 64;

// Right of the main window, or left of it when the right side of its
// monitor has no room; within the monitor's work area either way.
POINT beside_main_window(const Program& p, SIZE size) {
  RECT main{};
  GetWindowRect(p.main_window, &main);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(p.main_window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  LONG x = main.right;
  if (x + size.cx > work.right) x = main.left - size.cx;
  if (x < work.left) x = work.right - size.cx;
  LONG y = main.top;
  if (y + size.cy > work.bottom) y = work.bottom - size.cy;
  return POINT{x < work.left ? work.left : x, y < work.top ? work.top : y};
}

// The place kept under `key`, when it lies on a monitor today.
std::optional<WindowPlace> kept_place(Program& p, const char* key) {
  const auto kept = parse_window_place(p.profile.read(kConfigSection, key, "", kPlaceBuffer));
  if (!kept) return std::nullopt;
  const RECT there{kept->x, kept->y, kept->x + kept->width, kept->y + kept->height};
  if (!MonitorFromRect(&there, MONITOR_DEFAULTTONULL)) return std::nullopt;
  return kept;
}

}  // namespace

void restore_place_and_size(Program& p, HWND window, const char* key) {
  if (const auto kept = kept_place(p, key)) {
    SetWindowPos(window, nullptr, kept->x, kept->y, kept->width, kept->height, SWP_NOZORDER);
    return;
  }
  RECT now{};
  GetWindowRect(window, &now);
  const SIZE size{now.right - now.left, now.bottom - now.top};
  const POINT at = beside_main_window(p, size);
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

void restore_place(Program& p, HWND window, const char* key) {
  RECT now{};
  GetWindowRect(window, &now);
  const auto kept = kept_place(p, key);
  if (!kept) return;
  // Its own size at the kept corner must be on a monitor too.
  const RECT there{kept->x, kept->y, kept->x + now.right - now.left,
                   kept->y + now.bottom - now.top};
  if (MonitorFromRect(&there, MONITOR_DEFAULTTONULL))
    SetWindowPos(window, nullptr, kept->x, kept->y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

void keep_place(Program& p, HWND window, const char* key) {
  RECT now{};
  if (!GetWindowRect(window, &now) || IsIconic(window)) return;
  p.profile.write(kConfigSection, key,
                  format_window_place(
                      WindowPlace{now.left, now.top, now.right - now.left, now.bottom - now.top}));
}

}  // namespace orv::win
