#include "win/platform/serial_link.h"

#include <algorithm>

namespace orv::win {
namespace {

constexpr DWORD kQueueBytes = 2000;
constexpr DWORD kReadChunk = 600;
// How often the reader looks at the input queue while it waits, so that a
// byte that arrived just before the wait began is not left lying there.
constexpr DWORD kQueueCheckMs = 200;
// How long the reader rests after a failed wait before it tries again, so a
// port whose waits keep failing does not keep the processor busy.
constexpr DWORD kFailureBackOffMs = 200;
// Failed waits in a row that mean the port is gone.
constexpr int kFailedWaitsOfALostPort = 5;

void configure_line(DCB& dcb) {
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;  // the parity bit is sent; received parity is not checked
  dcb.fOutxCtsFlow = TRUE;
  dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  dcb.fOutX = TRUE;
  dcb.fInX = TRUE;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.XonLim = 256;
  dcb.XoffLim = 256;
}

HANDLE manual_reset_event() {
  return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

}  // namespace

SerialLink::SerialLink(LinkEventQueue& events)
    : events_(events),
      stop_event_(manual_reset_event()),
      write_event_(manual_reset_event()),
      read_event_(manual_reset_event()),
      wait_event_(manual_reset_event()) {
  write_request_.hEvent = write_event_.get();
  read_request_.hEvent = read_event_.get();
  wait_request_.hEvent = wait_event_.get();
}

SerialLink::~SerialLink() {
  close();
}

void SerialLink::open(const std::string& port_name, const Report& report) {
  close();
  port_name_ = port_name;
  lost_ = false;
  open_port(port_name, report);
  if (port_.valid() && !start_reader()) report("error creating read thread");
}

bool SerialLink::reopen() {
  bool failed = false;
  open(port_name_, [&failed](const char*) { failed = true; });
  if (failed) {
    close();
    lost_ = true;  // still to be opened again
  }
  return is_open();
}

// Once per loss: the window thread closes the port and opens it again.
void SerialLink::mark_lost() {
  if (!lost_.exchange(true))
    events_.push(LinkEvent{LinkEvent::Kind::port_lost, Connection::serial_line(), port_name_});
}

void SerialLink::open_port(const std::string& port_name, const Report& report) {
  const std::wstring device = L"\\\\.\\" + std::wstring(port_name.begin(), port_name.end());
  if (!port_name.empty())
    port_.reset(CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
  HANDLE port = port_.valid() ? port_.get() : INVALID_HANDLE_VALUE;
  if (!port_.valid()) report("Miss! File Open");
  if (!SetCommMask(port, EV_RXCHAR)) report("Miss! Mask Set");
  if (!SetupComm(port, kQueueBytes, kQueueBytes)) report("Miss! Buffer Set");
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;  // a read returns at once with what has arrived
  timeouts.WriteTotalTimeoutConstant = 1000;
  if (!SetCommTimeouts(port, &timeouts)) report("Miss! Time Out Set");
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const BOOL got_state = GetCommState(port, &dcb);
  configure_line(dcb);
  if (!got_state || !SetCommState(port, &dcb)) report("Miss! Set Comm State");
  // What reached the port before it was ours (a late reply, another
  // device's line) is nobody's answer.
  if (port_.valid()) PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

void SerialLink::close() {
  stop_reader();
  if (!port_.valid()) return;
  finish_pending_write();
  port_.reset();
  assembler_.clear();
}

void SerialLink::finish_pending_write() {
  if (!write_pending_) return;
  DWORD written = 0;
  GetOverlappedResult(port_.get(), &write_request_, &written,
                      TRUE);  // bounded by the 1 s write time-out
  write_pending_ = false;
}

bool SerialLink::send(std::string_view bytes) {
  if (!port_.valid()) return true;  // the unanswered command ends in the time-out
  finish_pending_write();
  write_buffer_.assign(bytes);
  ResetEvent(write_request_.hEvent);
  if (!WriteFile(port_.get(), write_buffer_.data(), static_cast<DWORD>(write_buffer_.size()),
                 nullptr, &write_request_)) {
    write_pending_ = GetLastError() == ERROR_IO_PENDING;
    if (!write_pending_) mark_lost();
  }
  return true;
}

bool SerialLink::start_reader() {
  ResetEvent(stop_event_.get());
  reader_.reset(CreateThread(nullptr, 0, reader_entry, this, 0, nullptr));
  return reader_.valid();
}

void SerialLink::stop_reader() {
  if (!reader_.valid()) return;
  SetEvent(stop_event_.get());
  SetCommMask(port_.get(), 0);  // also ends a pending wait for a port event
  // Every wait of the reader is bounded once the stop event is set.
  WaitForSingleObject(reader_.get(), INFINITE);
  reader_.reset();
}

DWORD WINAPI SerialLink::reader_entry(void* self) {
  static_cast<SerialLink*>(self)->read_loop();
  return 0;
}

// Waits for a character-received event, for the stop request, or for a
// periodic look at the input queue. False when the reader must stop.
bool SerialLink::wait_for_characters() {
  OVERLAPPED& wait = wait_request_;
  ResetEvent(wait.hEvent);
  // A port whose waits keep failing is gone (its adapter unplugged).
  const auto back_off = [this] {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port_.get(), &errors, &status) ||
        ++failed_waits_ >= kFailedWaitsOfALostPort) {
      mark_lost();
      return false;
    }
    return WaitForSingleObject(stop_event_.get(), kFailureBackOffMs) != WAIT_OBJECT_0;
  };
  if (WaitCommEvent(port_.get(), &event_mask_, &wait)) return true;
  if (GetLastError() != ERROR_IO_PENDING) return back_off();
  const HANDLE handles[2] = {wait.hEvent, stop_event_.get()};
  for (;;) {
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, kQueueCheckMs);
    if (which == WAIT_OBJECT_0) break;
    if (which == WAIT_TIMEOUT) {
      read_available();
      continue;
    }
    // Stopping: the cleared event mask or the cancel ends the wait. Its
    // request record and mask belong to the link, so even a request that
    // ends later writes into memory that is still there.
    CancelIo(port_.get());
    WaitForSingleObject(wait.hEvent, 1000);
    return false;
  }
  DWORD ignored = 0;
  if (!GetOverlappedResult(port_.get(), &wait, &ignored, FALSE)) return back_off();
  failed_waits_ = 0;
  return true;
}

// Reads everything the input queue holds, a chunk at a time.
void SerialLink::read_available() {
  for (;;) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port_.get(), &errors, &status)) return mark_lost();
    if (status.cbInQue == 0) return;
    char chunk[kReadChunk];
    DWORD got = 0;
    ResetEvent(read_request_.hEvent);
    if (!ReadFile(port_.get(), chunk, std::min<DWORD>(status.cbInQue, kReadChunk), &got,
                  &read_request_)) {
      if (GetLastError() != ERROR_IO_PENDING ||
          !GetOverlappedResult(port_.get(), &read_request_, &got, TRUE))
        return mark_lost();
    }
    if (got == 0) return;
    for (std::string& line : assembler_.feed(std::string_view(chunk, got)))
      events_.push(LinkEvent{LinkEvent::Kind::line, Connection::serial_line(), std::move(line)});
  }
}

void SerialLink::read_loop() {
  SetCommMask(port_.get(), EV_RXCHAR);
  failed_waits_ = 0;
  while (!lost_ && WaitForSingleObject(stop_event_.get(), 0) != WAIT_OBJECT_0) {
    if (!wait_for_characters()) break;
    read_available();
  }
  PurgeComm(port_.get(), PURGE_RXCLEAR);
}

}  // namespace orv::win
