#include "link/serial_port_win.h"

#include <algorithm>

#include "app/configuration.h"
#include "protocol/reply_assembly.h"

namespace orv::win {
namespace {

constexpr DWORD kQueueBytes = 2000;
constexpr DWORD kReadChunk = 600;
constexpr size_t kMaxWaitingLines = 256;
// How often the reader looks at the input queue while it waits, so that a
// byte that arrived just before the wait began is not left lying there.
constexpr DWORD kQueueCheckMs = 200;
constexpr DWORD kFailureBackOffMs = 20;

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

}  // namespace

SerialLink::SerialLink() {
  wait_request_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  stop_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  write_request_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  read_request_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

SerialLink::~SerialLink() {
  stop_reader();
  close();
  for (HANDLE h : {wait_request_.hEvent, stop_event_, write_request_.hEvent, read_request_.hEvent})
    if (h) CloseHandle(h);
}

void SerialLink::open(int com_port, const std::function<void(const char*)>& report) {
  close();
  const std::string name = com_port_name(com_port);
  const std::wstring device = L"\\\\.\\" + std::wstring(name.begin(), name.end());
  port_ = name.empty() ? INVALID_HANDLE_VALUE
                       : CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port_ == INVALID_HANDLE_VALUE) report("Miss! File Open");
  if (!SetCommMask(port_, EV_RXCHAR)) report("Miss! Mask Set");
  if (!SetupComm(port_, kQueueBytes, kQueueBytes)) report("Miss! Buffer Set");
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;  // a read returns at once with what has arrived
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = 1000;
  if (!SetCommTimeouts(port_, &timeouts)) report("Miss! Time Out Set");
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const BOOL got_state = GetCommState(port_, &dcb);
  configure_line(dcb);
  if (!got_state || !SetCommState(port_, &dcb)) report("Miss! Set Comm State");
}

void SerialLink::close() {
  if (port_ == INVALID_HANDLE_VALUE) return;
  finish_pending_write();
  CloseHandle(port_);
  port_ = INVALID_HANDLE_VALUE;
}

void SerialLink::finish_pending_write() {
  if (!write_pending_) return;
  DWORD written = 0;
  GetOverlappedResult(port_, &write_request_, &written, TRUE);  // bounded by the 1 s write time-out
  write_pending_ = false;
}

void SerialLink::write(std::string_view bytes) {
  if (port_ == INVALID_HANDLE_VALUE) return;  // the unanswered command ends in the time-out
  finish_pending_write();
  write_buffer_.assign(bytes);
  if (!WriteFile(port_, write_buffer_.data(), static_cast<DWORD>(write_buffer_.size()), nullptr,
                 &write_request_))
    write_pending_ = GetLastError() == ERROR_IO_PENDING;
}

bool SerialLink::start_reader(HWND notify) {
  if (reader_) return true;
  notify_ = notify;
  ResetEvent(stop_event_);
  InterlockedExchange(&running_, 1);
  reader_ = CreateThread(nullptr, 0, reader_entry, this, 0, nullptr);
  if (!reader_) InterlockedExchange(&running_, 0);
  return reader_ != nullptr;
}

void SerialLink::stop_reader() {
  if (!reader_) return;
  InterlockedExchange(&running_, 0);
  SetEvent(stop_event_);
  SetCommMask(port_, 0);  // also ends a pending wait for a port event
  // Every wait of the reader is bounded once the stop event is set.
  WaitForSingleObject(reader_, INFINITE);
  CloseHandle(reader_);
  reader_ = nullptr;
}

std::vector<std::string> SerialLink::take_lines() {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  std::vector<std::string> taken(lines_.begin(), lines_.end());
  lines_.clear();
  wake_posted_ = false;
  return taken;
}

DWORD WINAPI SerialLink::reader_entry(void* self) {
  static_cast<SerialLink*>(self)->read_loop();
  return 0;
}

void SerialLink::clear_port_errors() {
  DWORD errors = 0;
  COMSTAT status{};
  ClearCommError(port_, &errors, &status);
}

// Waits for a character-received event, for the stop request, or for a
// periodic look at the input queue. False when the reader must stop.
bool SerialLink::wait_for_characters() {
  OVERLAPPED& wait = wait_request_;
  ResetEvent(wait.hEvent);
  if (WaitCommEvent(port_, &event_mask_, &wait)) return true;
  if (GetLastError() != ERROR_IO_PENDING) {
    clear_port_errors();
    return WaitForSingleObject(stop_event_, kFailureBackOffMs) != WAIT_OBJECT_0;
  }
  const HANDLE handles[2] = {wait.hEvent, stop_event_};
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
    CancelIo(port_);
    WaitForSingleObject(wait.hEvent, 1000);
    return false;
  }
  DWORD ignored = 0;
  if (!GetOverlappedResult(port_, &wait, &ignored, FALSE)) {
    clear_port_errors();
    return WaitForSingleObject(stop_event_, kFailureBackOffMs) != WAIT_OBJECT_0;
  }
  return true;
}

// Reads everything the input queue holds, a chunk at a time.
void SerialLink::read_available() {
  for (;;) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port_, &errors, &status) || status.cbInQue == 0) return;
    char chunk[kReadChunk];
    DWORD got = 0;
    ResetEvent(read_request_.hEvent);
    if (!ReadFile(port_, chunk, std::min<DWORD>(status.cbInQue, kReadChunk), &got,
                  &read_request_)) {
      if (GetLastError() != ERROR_IO_PENDING ||
          !GetOverlappedResult(port_, &read_request_, &got, TRUE)) {
        clear_port_errors();
        return;
      }
    }
    if (got == 0) return;
    deliver(assembler_.feed(std::string_view(chunk, got)));
  }
}

void SerialLink::read_loop() {
  if (port_ == INVALID_HANDLE_VALUE) {  // nothing to read from: wait for the end
    WaitForSingleObject(stop_event_, INFINITE);
    return;
  }
  SetCommMask(port_, EV_RXCHAR);
  while (InterlockedCompareExchange(&running_, 0, 0) != 0) {
    if (!wait_for_characters()) break;
    read_available();
  }
  PurgeComm(port_, PURGE_RXCLEAR);
}

void SerialLink::deliver(std::vector<std::string> lines) {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  for (std::string& line : lines)
    if (lines_.size() < kMaxWaitingLines) lines_.push_back(std::move(line));
  if (!wake_posted_ && !lines_.empty())
    wake_posted_ = PostMessageW(notify_, WM_APP_SERIAL_LINES, 0, 0) != FALSE;
}

}  // namespace orv::win
