#include "app/message_boxes_win.h"

#include <string>

#include "app/text_win.h"

namespace orv::win {

int show_box(const MessageBoxRequest& box) {
  if (box.kind == BoxKind::none) return 0;
  UINT style = MB_OK | MB_TASKMODAL;
  if (box.icon_error) style |= MB_ICONERROR;
  if (box.icon_warning) style |= MB_ICONWARNING;
  if (box.beep) MessageBeep(MB_ICONQUESTION);
  const std::wstring text = widen(box.text);
  const std::wstring caption = widen(box.caption);
  return MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

}  // namespace orv::win
