// The system's log on Windows: the Application Event Log, as the source
// "ORVELLAN gateway".
#include <windows.h>

#include "gateway/event_outputs.h"
#include "win/platform/text.h"

namespace orv::gateway {

void write_to_system_log(const Event& event) {
  static const HANDLE source = RegisterEventSourceW(nullptr, L"ORVELLAN gateway");
  if (!source) return;
  const bool warning = is_warning(event);
  const std::wstring text = win::widen(event_text(event));
  const wchar_t* strings[] = {text.c_str()};
  ReportEventW(source, warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE, 0, 1, nullptr,
               1, 0, strings, nullptr);
}

}  // namespace orv::gateway
