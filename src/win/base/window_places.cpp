#include "win/base/window_places.h"

#include <algorithm>
#include <optional>

namespace orv::win {
namespace {

constexpr size_t kPlaceBuffer = 64;

// Right of the main window, below it, left of it or above it: the first
// side where the window fits on the main window's monitor; otherwise at the
// right edge of that monitor.
POINT beside_main_window(const Program& p, SIZE size) {
  RECT main{};
  GetWindowRect(p.shell.main_window, &main);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(p.shell.main_window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const POINT sides[] = {{main.right, main.top},
                         {main.left, main.bottom},
                         {main.left - size.cx, main.top},
                         {main.left, main.top - size.cy}};
  for (const POINT& at : sides) {
    if (at.x >= work.left && at.y >= work.top && at.x + size.cx <= work.right &&
        at.y + size.cy <= work.bottom)
      return at;
  }
  return POINT{std::max(work.left, work.right - size.cx), std::max(work.top, main.top)};
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
