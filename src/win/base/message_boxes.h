// Every message box of the program goes through here, and nowhere else
// calls the system's box. The core's boxes (reply outcomes, refusals) are without
// owner, task-modal, with the question sound before the box where the box
// calls for it.
#pragma once

#include <windows.h>

#include <string>

#include "app/reply_presentation.h"

namespace orv::win {

struct Box {
  std::wstring text;
  std::wstring caption;
  UINT style = MB_OK | MB_TASKMODAL;
  HWND owner = nullptr;
  bool beep = false;  // the question sound before the box
};

// Shows the box and returns the button that closed it.
int show_message(const Box& box);

int show_box(const MessageBoxRequest& box);

// "保存確認": whether the changed settings or glyph should be saved first;
// IDYES, IDNO, or IDCANCEL to go back with nothing changed.
int ask_to_save_changes(HWND owner);

// The warning of a title that the unit cannot take.
void warn_unsendable_title();

}  // namespace orv::win
