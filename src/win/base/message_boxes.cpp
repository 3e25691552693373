#include "win/base/message_boxes.h"

#include "protocol/title_codec.h"
#include "win/platform/text.h"

namespace orv::win {

int show_message(const Box& box) {
  if (box.beep) MessageBeep(MB_ICONQUESTION);
  return MessageBoxW(box.owner, box.text.c_str(), box.caption.c_str(), box.style);
}

int show_box(const MessageBoxRequest& box) {
  if (box.kind == BoxKind::none) return 0;
  UINT style = MB_OK | MB_TASKMODAL;
  if (box.icon_error) style |= MB_ICONERROR;
  if (box.icon_warning) style |= MB_ICONWARNING;
  return show_message(Box{widen(box.text), widen(box.caption), style, nullptr, box.beep});
}

int ask_to_save_changes(HWND owner) {
  return show_message(
      Box{L"ファイルが変更されています。保存しますか？", L"保存確認", MB_YESNOCANCEL, owner});
}

void warn_unsendable_title() {
  show_box(warning_box(kUnsendableTitle));
}

}  // namespace orv::win
