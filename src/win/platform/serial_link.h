// The serial link: the COM port with its line settings, one overlapped write
// per command, and a reader thread that only reads bytes, cuts them into
// lines and pushes each line into the link event queue. Opening, closing
// and reopening the port is one operation that stops and starts the reader
// with it, so a port chosen later delivers its replies like the first.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "link/line_assembler.h"
#include "link/link.h"
#include "link/link_events.h"
#include "win/platform/handles.h"

namespace orv::win {

class SerialLink : public Link {
 public:
  explicit SerialLink(LinkEventQueue& events);
  ~SerialLink() override;
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  using Report = std::function<void(const char* text)>;

  // Closes the port in use (its reader first), opens `port_name` ("COM1"..
  // "COM6"; empty for none) and sets the line up. Each failing step is
  // reported ("Miss! File Open", …) and the next step still runs. The reader
  // starts only on a port that opened; "error creating read thread" is
  // reported when it cannot.
  void open(const std::string& port_name, const Report& report);
  // Stops the reader and closes the port.
  void close();
  bool is_open() const { return port_.valid(); }
  // The port stopped working (a failed write, or its reader met an error
  // reading it): a port_lost event has gone out, and the port is to be
  // closed and opened again. Cleared by open().
  bool lost() const { return lost_.load(); }
  // Opens the port asked for last, without a report; true when it is open.
  bool reopen();

  // The serial line takes a command whenever asked; a write is not waited
  // for, and a lost command shows as a time-out.
  bool ready() const override { return true; }
  bool send(std::string_view bytes) override;
  std::string name() const override { return port_name_; }

 private:
  void open_port(const std::string& port_name, const Report& report);
  bool start_reader();
  void stop_reader();
  static DWORD WINAPI reader_entry(void* self);
  void read_loop();
  bool wait_for_characters();
  void read_available();
  void finish_pending_write();
  void mark_lost();

  LinkEventQueue& events_;
  std::string port_name_;  // "COM1": the port asked for, open or not
  UniqueHandle port_;
  UniqueHandle stop_event_;
  OVERLAPPED write_request_{};
  OVERLAPPED read_request_{};
  OVERLAPPED wait_request_{};  // the reader's wait for a port event
  UniqueHandle write_event_, read_event_, wait_event_;
  DWORD event_mask_ = 0;
  std::string write_buffer_;  // kept until the overlapped write has finished
  bool write_pending_ = false;

  std::atomic<bool> lost_{false};

  UniqueHandle reader_;
  LineAssembler assembler_;  // reader thread only: every LF ends a line
  int failed_waits_ = 0;     // reader thread only
};

}  // namespace orv::win
