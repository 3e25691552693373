// The serial link: the COM port with its line settings, one overlapped write
// per command, and a reader thread that only reads bytes and assembles lines.
// Completed lines wait in a small locked queue; one posted wake-up message
// tells the window thread to take them, so every reply is handled there.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/reply_assembly.h"

namespace orv::win {

// Posted to the window given to start_reader when lines are waiting.
inline constexpr UINT WM_APP_SERIAL_LINES = WM_APP + 1;

class SerialLink {
 public:
  SerialLink();
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Opens COM1..COM6 and sets the line up (closing a port already open; the
  // reader must be stopped first). Each failing step is reported
  // through `report` ("Miss! File Open", …) and the next step still runs.
  void open(int com_port, const std::function<void(const char* text)>& report);
  void close();
  bool is_open() const { return port_ != INVALID_HANDLE_VALUE; }

  // One overlapped write of the line; not waited for. The bytes are kept
  // until the write has finished.
  void write(std::string_view bytes);

  // Starts the reader thread; false when it cannot be created.
  bool start_reader(HWND notify);
  // Wakes the reader out of its wait and waits for it to end.
  void stop_reader();

  // The lines the reader has completed since the last call, oldest first.
  std::vector<std::string> take_lines();

 private:
  static DWORD WINAPI reader_entry(void* self);
  void read_loop();
  bool wait_for_characters();
  void read_available();
  void deliver(std::vector<std::string> lines);
  void clear_port_errors();
  void finish_pending_write();

  HANDLE port_ = INVALID_HANDLE_VALUE;
  OVERLAPPED write_request_{};
  OVERLAPPED read_request_{};
  OVERLAPPED wait_request_{};  // the reader's wait for a port event
  DWORD event_mask_ = 0;
  HANDLE stop_event_ = nullptr;
  std::string write_buffer_;
  bool write_pending_ = false;

  HANDLE reader_ = nullptr;
  HWND notify_ = nullptr;
  volatile LONG running_ = 0;
  LineAssembler assembler_;  // reader thread only: every LF ends a line

  std::mutex lines_mutex_;
  std::deque<std::string> lines_;
  bool wake_posted_ = false;
};

}  // namespace orv::win
