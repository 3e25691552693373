// The units' line settings on a COM port, through its handle's DCB.
#include <windows.h>

#include "io/ports.h"

namespace orv::io {

bool set_unit_line(asio::serial_port& port, const std::string& device, int baud, std::string&,
                   std::string& error) {
  const HANDLE handle = port.native_handle();
  DCB line{};
  line.DCBlength = sizeof line;
  if (!GetCommState(handle, &line)) return error = device + " is not a serial port", false;
  line.BaudRate = static_cast<DWORD>(baud);
  line.ByteSize = 8;
  line.Parity = EVENPARITY;
  line.StopBits = ONESTOPBIT;
  line.fBinary = TRUE;
  line.fParity = TRUE;
  line.fOutxCtsFlow = TRUE;
  line.fOutxDsrFlow = FALSE;
  line.fDtrControl = DTR_CONTROL_HANDSHAKE;
  line.fRtsControl = RTS_CONTROL_HANDSHAKE;
  line.fOutX = TRUE;
  line.fInX = TRUE;
  line.XonChar = 0x11;
  line.XoffChar = 0x13;
  line.XonLim = 256;
  line.XoffLim = 256;
  // A parity error must not stop every later read.
  line.fAbortOnError = FALSE;
  if (!SetCommState(handle, &line))
    return error = device + ": cannot set 8E1 at " + std::to_string(baud) + ": error " +
                   std::to_string(GetLastError()),
           false;
  // A late reply of an aborted run, or a line of another device, must not
  // be taken for the answer to the first command.
  PurgeComm(handle, PURGE_RXCLEAR);
  return true;
}

}  // namespace orv::io
