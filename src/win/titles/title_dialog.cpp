#include "win/titles/title_dialog.h"

#include "bulk/shared_steps.h"
#include "resource.h"
#include "titles/title_editor.h"
#include "win/base/bulk_run_binding.h"
#include "win/base/dialog_common.h"
#include "win/base/message_boxes.h"
#include "win/base/scoped.h"
#include "win/base/timers_and_messages.h"
#include "win/platform/text.h"
#include "win/titles/title_csv_files.h"
#include "win/titles/title_dialog_res.h"

namespace orv::win {
namespace {

struct TitleDialog {
  explicit TitleDialog(Program& p)
      : program(p),
        editor(p.session.document.settings, p.session.selections.inputChannel),
        run(p,
            {.timer = kTitleRunTimer,
             .button = IDB_SET_ALL,
             .idle_label = "全設定",
             .percent_edit = IDE_PERCENT,
             .keep_percent = true,
             .locked = {IDC_TITLE_CHANNEL_LIST, IDE_TITLE, IDB_SET, IDB_CLOSE, IDB_TITLE_EXPORT,
                        IDB_TITLE_IMPORT},
             .reply_paced_check = IDC_REPLY_PACED},
            acknowledge),
        set_run(p,
                {.timer = kTitleSetTimer,
                 .button = IDB_SET,
                 .idle_label = "設定",
                 .percent_edit = IDE_PERCENT,
                 .keep_percent = true,
                 .locked = {IDC_TITLE_CHANNEL_LIST, IDE_TITLE, IDB_SET_ALL, IDB_CLOSE,
                            IDB_TITLE_EXPORT, IDB_TITLE_IMPORT},
                 .cancellable = false},
                acknowledge) {}
  static void acknowledge(bool completed) {
    if (completed) show_box(acknowledged_box());
  }
  Program& program;
  TitleEditor editor;
  BulkRunBinding run;          // "全設定"
  BulkRunBinding set_run;      // "設定" of a title with external characters
  bool showing_title = false;  // the edit is being filled, not typed into
};

void show_title(TitleDialog& d, HWND dialog) {
  d.showing_title = true;
  SetDlgItemTextW(dialog, IDE_TITLE, from_shift_jis(d.editor.title()).c_str());
  d.showing_title = false;
}

void on_init(TitleDialog& d, HWND dialog) {
  Program& p = d.program;
  begin_dialog(p, dialog);
  set_caption_with_path(p, dialog, "タイトル ");
  d.editor.clamp_on_open();
  fill_list(dialog, IDC_TITLE_CHANNEL_LIST, d.editor.channel_items(), d.editor.channel());
  fill_slave_address_list(p, dialog);
  enable_slave_address_list_by_link(p, dialog);
  show_title(d, dialog);
  d.run.attach(dialog);
  d.set_run.attach(dialog);
}

// The table of the current channel's page: "ch.nn =" and each title, in
// the paint context's default font.
void on_paint(TitleDialog& d, HWND dialog) {
  const PaintScope paint(dialog);
  Rectangle(paint.dc(), kTableLeft, kTableTop, kTableRight, kTableBottom);
  for (const TitleTableEntry& entry : d.editor.painted_table()) {
    draw_text(paint.dc(), entry.label_x, entry.y, entry.label);
    const std::wstring title = from_shift_jis(entry.title_shift_jis);
    TextOutW(paint.dc(), entry.title_x, entry.y, title.c_str(), static_cast<int>(title.size()));
  }
}

// Every change of the edit becomes the channel's title in Shift_JIS, the
// form the settings file and the unit use. A change that Shift_JIS cannot
// hold, or that makes the title longer than 56 bytes, is refused: the edit
// goes back to the title as it was, with the warning beep.
void on_title_edited(TitleDialog& d, HWND dialog) {
  if (d.showing_title) return;
  wchar_t typed[256] = {};
  GetDlgItemTextW(dialog, IDE_TITLE, typed, 256);
  const auto shift_jis = to_shift_jis_exactly(typed);
  if (!shift_jis || !d.editor.store_title(*shift_jis)) {
    MessageBeep(MB_ICONWARNING);
    show_title(d, dialog);
    const LRESULT end = SendDlgItemMessageW(dialog, IDE_TITLE, WM_GETTEXTLENGTH, 0, 0);
    SendDlgItemMessageW(dialog, IDE_TITLE, EM_SETSEL, static_cast<WPARAM>(end), end);
    return;
  }
  repaint_table(dialog);
}

// "設定": the title command; a title with external characters is followed
// by their insert commands, as a run of its own.
void send_title(TitleDialog& d) {
  if (d.program.session.operator_road.exchange.awaiting_reply()) return;
  const std::vector<BulkStep> steps =
      title_steps(d.editor.channel(), d.program.session.document.settings);
  if (steps.front().title_unsendable) return warn_unsendable_title();
  if (steps.size() == 1) return send_single_command(d.program, steps.front().command);
  d.set_run.press(static_cast<int>(steps.size()), [steps](int step) { return steps[step - 1]; });
}

void start_or_cancel_all(TitleDialog& d) {
  if (d.set_run.running()) return;
  const std::vector<BulkStep> steps = all_title_steps(d.program.session.document.settings);
  d.run.press(static_cast<int>(steps.size()), [steps](int step) { return steps[step - 1]; });
}

void close(TitleDialog& d, HWND dialog) {
  d.run.abandon();
  d.set_run.abandon();
  end_dialog(d.program, dialog, IDB_CLOSE);
}

void on_command(TitleDialog& d, HWND dialog, int id, int notification) {
  switch (id) {
    case IDC_TITLE_CHANNEL_LIST:
      if (notification != CBN_SELCHANGE) return;
      if (d.editor.choose_channel(selected_item(dialog, id))) repaint_table(dialog);
      return show_title(d, dialog);
    case IDE_TITLE:
      if (notification == EN_CHANGE) on_title_edited(d, dialog);
      return;
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) take_slave_address(d.program, dialog);
      return;
    case IDB_SET:
      return send_title(d);
    case IDB_SET_ALL:
      return start_or_cancel_all(d);
    case IDB_TITLE_EXPORT:
      return export_titles(dialog, d.program.session.document.settings);
    case IDB_TITLE_IMPORT:
      if (!import_titles(dialog, d.program.session.document.settings)) return;
      repaint_table(dialog);
      return show_title(d, dialog);
    case IDB_CLOSE:
      return close(d, dialog);
  }
}

INT_PTR CALLBACK title_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<TitleDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_PAINT:
      on_paint(*d, dialog);
      return TRUE;
    case WM_TIMER:
      return d->run.on_timer(wparam) || d->set_run.on_timer(wparam) ? TRUE : FALSE;
    case WM_APP_RUN_SETTLED:
      return d->run.on_settled() || d->set_run.on_settled() ? TRUE : FALSE;
    case WM_COMMAND:
      on_command(*d, dialog, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close(*d, dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_title_dialog(Program& program) {
  TitleDialog dialog(program);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_TITLE), program.shell.main_window,
                  title_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
