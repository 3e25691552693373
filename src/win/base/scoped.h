// Win32 resources owned by types: a kernel handle, a socket, a created GDI
// object, a memory device context, an object selected into a device
// context, a window timer and a paint. Each gives its resource back when it goes out of scope.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <utility>

#include "win/base/dpi.h"

namespace orv::win {

// A kernel handle; both NULL and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  static bool is_valid(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
  }
  bool valid() const { return is_valid(handle_); }
  HANDLE get() const { return handle_; }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) {
    if (valid()) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A socket of the sockets library, shut down in both directions and closed.
class UniqueSocket {
 public:
  UniqueSocket() = default;
  explicit UniqueSocket(SOCKET socket) : socket_(socket) {}
  ~UniqueSocket() { reset(); }
  UniqueSocket(UniqueSocket&& other) noexcept : socket_(other.release()) {}
  UniqueSocket& operator=(UniqueSocket&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;

  bool valid() const { return socket_ != INVALID_SOCKET; }
  SOCKET get() const { return socket_; }
  SOCKET release() { return std::exchange(socket_, INVALID_SOCKET); }
  void reset(SOCKET socket = INVALID_SOCKET) {
    if (valid()) {
      shutdown(socket_, SD_BOTH);
      closesocket(socket_);
    }
    socket_ = socket;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
};

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
