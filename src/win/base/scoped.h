// Window resources owned by types: a created GDI object, a memory device
// context, an object selected into a device context, a window timer and a
// paint. Each gives its resource back when it goes out of scope. (Kernel
// handles and sockets: win/platform/handles.h.)
#pragma once

#include <windows.h>

#include <utility>

#include "win/base/dpi.h"
#include "win/platform/handles.h"

namespace orv::win {

// A pen, brush, font or bitmap this code created.
template <typename T>
class GdiObject {
 public:
  explicit GdiObject(T object) : object_(object) {}
  ~GdiObject() {
    if (object_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  T get() const { return object_; }

 private:
  T object_;
};

// A memory device context compatible with another, to draw off screen.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a device context until the end of the scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint .. EndPaint.
// BeginPaint to EndPaint, drawing in the 96-DPI layout's units whatever the
// window's DPI, in the painted text's font.
class PaintScope {
 public:
  explicit PaintScope(HWND window)
      : window_(window),
        dc_(BeginPaint(window, &paint_)),
        mapping_(dc_, window_dpi(window)),
        font_(create_painted_text_font()),
        old_font_(SelectObject(dc_, font_)) {
    area_ = paint_.rcPaint;
    DPtoLP(dc_, reinterpret_cast<POINT*>(&area_), 2);
  }
  ~PaintScope() {
    SelectObject(dc_, old_font_);
    DeleteObject(font_);
    mapping_.end();
    EndPaint(window_, &paint_);
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return area_; }  // in the layout's units

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
  LayoutMapping mapping_;
  HFONT font_;
  HGDIOBJ old_font_;
  RECT area_{};
};

// A window's timer: id and period, running from start() until stop() or
// the end of the owner.
struct TimerSetting {
  UINT_PTR id;
  UINT period_ms;
};

class WindowTimer {
 public:
  explicit WindowTimer(TimerSetting setting) : setting_(setting) {}
  ~WindowTimer() { stop(); }
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  void start(HWND window) {
    stop();
    window_ = window;
    if (!SetTimer(window_, setting_.id, setting_.period_ms, nullptr)) window_ = nullptr;
  }
  void stop() {
    if (window_) KillTimer(window_, setting_.id);
    window_ = nullptr;
  }
  bool running() const { return window_ != nullptr; }
  UINT_PTR id() const { return setting_.id; }

 private:
  TimerSetting setting_;
  HWND window_ = nullptr;
};

}  // namespace orv::win
