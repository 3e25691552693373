#include "win/titles/glyph_editor_dialog.h"

#include <windowsx.h>

#include <vector>

#include "resource.h"
#include "settings_file/settings_file.h"
#include "titles/glyph_editor.h"
#include "win/base/dialog_common.h"
#include "win/base/dpi.h"
#include "win/base/file_dialog.h"
#include "win/base/message_boxes.h"
#include "win/base/scoped.h"
#include "win/platform/text.h"
#include "win/titles/glyph_editor_dialog_res.h"

namespace orv::win {
namespace {

constexpr COLORREF kSetPixel = RGB(255, 255, 255);
constexpr COLORREF kClearPixel = RGB(0, 0, 255);

struct GlyphEditorDialog {
  GlyphEditorDialog(Program& p, GlyphSize size)
      : program(p), editor(size, p.session.document.settings.glyphBitmap) {}
  Program& program;
  GlyphEditor editor;
  FilePath file;  // the glyph file in use; empty for a new glyph
  HWND window = nullptr;
  // Cells the mouse has set since the grid was last drawn whole: outlined
  // in white, as the pen leaves them; every other cell in black.
  std::vector<char> set_by_pen;

  char& pen_mark(const GridCell& cell) {
    set_by_pen.resize(static_cast<size_t>(editor.cells() * editor.cells()));
    return set_by_pen[static_cast<size_t>(cell.row * editor.cells() + cell.column)];
  }

  int& registration() { return program.session.selections.glyphInsertion.registration; }
  const wchar_t* extension() const {
    switch (editor.size()) {
      case GlyphSize::large:
        return L"txl";
      case GlyphSize::medium:
        return L"txm";
      case GlyphSize::small:
        break;
    }
    return L"txs";
  }
};

void set_caption(GlyphEditorDialog& d) {
  static constexpr const wchar_t* kSizes[] = {L"（LARGE）", L"（MEDIUM）", L"（SMALL）"};
  const std::wstring caption =
      std::wstring(L"外字登録  ") + kSizes[static_cast<int>(d.editor.size())] + widen(d.file);
  SetWindowTextW(d.window, caption.c_str());
}

void repaint_grid(GlyphEditorDialog& d) {
  d.set_by_pen.clear();
  invalidate_layout(d.window,
                    RECT{kGridLeft, kGridTop, kGridLeft + kGridSide, kGridTop + kGridSide});
}

// The grid is drawn into a bitmap first and shown in one piece, so that
// drawing with the mouse does not flicker.
void on_paint(GlyphEditorDialog& d) {
  const PaintScope paint(d.window);
  const int side = kGridLeft + kGridSide + 1;
  const UINT dpi = window_dpi(d.window);
  const MemoryDC memory(paint.dc());
  const GdiObject<HBITMAP> canvas(
      CreateCompatibleBitmap(paint.dc(), scaled(side, dpi) + 1, scaled(side, dpi) + 1));
  {
    const SelectedObject canvas_in_use(memory.get(), canvas.get());
    const LayoutMapping mapping(memory.get(), dpi);  // the same units as the window's
    RECT all{0, 0, side, side};
    FillRect(memory.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    const GdiObject<HBRUSH> set(CreateSolidBrush(kSetPixel));
    const GdiObject<HBRUSH> clear(CreateSolidBrush(kClearPixel));
    for (int row = 0; row < d.editor.cells(); ++row) {
      for (int column = 0; column < d.editor.cells(); ++column) {
        const GridCell cell{row, column};
        const CellBox box = d.editor.cell_box(cell);
        const bool on = d.editor.pixel(cell);
        const SelectedObject outline(
            memory.get(), GetStockObject(on && d.pen_mark(cell) ? WHITE_PEN : BLACK_PEN));
        const SelectedObject fill(memory.get(), on ? set.get() : clear.get());
        Rectangle(memory.get(), box.left, box.top, box.right + 1, box.bottom + 1);
      }
    }
    const RECT& area = paint.area();
    BitBlt(paint.dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
           memory.get(), area.left, area.top, SRCCOPY);
  }
}

// A cell the pen changed: white with a white outline when set, blue with a
// black one when cleared.
void repaint_cell(GlyphEditorDialog& d, const std::optional<GridCell>& cell) {
  if (!cell) return;
  d.pen_mark(*cell) = d.editor.pixel(*cell) ? 1 : 0;
  const CellBox box = d.editor.cell_box(*cell);
  invalidate_layout(d.window, RECT{box.left, box.top, box.right + 1, box.bottom + 1});
}

// The mouse is captured while a button is down, so a release outside the
// dialog still lifts the pen.
void on_button_down(GlyphEditorDialog& d, GlyphEditor::Pen pen, LPARAM position) {
  SetCapture(d.window);
  const UINT dpi = window_dpi(d.window);
  repaint_cell(d, d.editor.press(pen, unscaled(GET_X_LPARAM(position), dpi),
                                 unscaled(GET_Y_LPARAM(position), dpi)));
}

void on_button_up(GlyphEditorDialog& d, GlyphEditor::Pen pen) {
  d.editor.release(pen);
  if (d.editor.pen() == GlyphEditor::Pen::none && GetCapture() == d.window) ReleaseCapture();
}

// The save question before anything replaces or discards a changed drawing
// (New, Open, the two reads, closing). "Yes" saves first, and a save that is
// cancelled or fails keeps the drawing and goes no further; "Cancel" goes
// back; "No" discards it.
bool save_first(GlyphEditorDialog& d);

bool write_glyph(GlyphEditorDialog& d, const FilePath& path) {
  std::string error;
  if (!write_file_replacing(path, d.editor.file_text(), error)) {
    report_unwritable_file();
    return false;
  }
  d.file = path;
  d.editor.mark_saved();
  set_caption(d);
  return true;
}

// The file dialog of the editor's size. When the dialog itself fails the
// editor closes and the program ends through its close path, which still
// asks about changed settings.
FilePath choose_glyph_file(GlyphEditorDialog& d, const wchar_t* title, bool for_saving) {
  const FileChoice choice = ask_for_file(d.window, title, d.extension(), widen(d.file), for_saving);
  if (choice.dialog_failed) {
    report_file_dialog_failure();
    d.program.shell.file_dialog_failed = true;
    PostMessageW(d.window, WM_CLOSE, 0, 0);
    PostMessageW(d.program.shell.main_window, WM_CLOSE, 0, 0);
  }
  return path_of(choice.path);
}

bool save_glyph_as(GlyphEditorDialog& d) {
  if (d.program.shell.file_dialog_failed) {
    const bool saved =
        save_for_recovery(d.program.profile.folder(), d.editor.file_text(), d.extension());
    if (saved) d.editor.mark_saved();
    return saved;
  }
  const FilePath path = choose_glyph_file(d, L"名前を付けて保存", true);
  return !path.empty() && write_glyph(d, path);
}

bool save_glyph(GlyphEditorDialog& d) {
  if (d.file.empty()) return save_glyph_as(d);
  return write_glyph(d, d.file);
}

bool save_first(GlyphEditorDialog& d) {
  if (!d.editor.modified()) return true;
  const int answer = ask_to_save_changes(d.window);
  if (answer == IDCANCEL) return false;
  if (answer == IDYES) return save_glyph(d);
  d.editor.mark_saved();  // the question is not asked again for this drawing
  return true;
}

void new_glyph(GlyphEditorDialog& d) {
  if (!save_first(d)) return;
  d.file.clear();
  d.editor.clear();
  repaint_grid(d);
  set_caption(d);
}

// The dialog comes back after a missing file; a damaged one is refused
// whole, and the glyph and the file in use stay as they were.
void open_glyph(GlyphEditorDialog& d) {
  if (!save_first(d)) return;
  for (;;) {
    const FilePath path = choose_glyph_file(d, L"ファイルを開く", false);
    if (path.empty()) return;
    std::string text, error;
    const FileRead read = read_whole_file(path, text, error);
    if (read == FileRead::unreadable) {
      report_missing_file();
      continue;
    }
    if (read == FileRead::too_large)
      return report_damaged_file(L"外字ファイルが壊れているため開けませんでした。",
                                 widen(path) + L"\n" + kTooLargeFile);
    if (!d.editor.load_file_text(text))
      return report_damaged_file(L"外字ファイルが壊れているため開けませんでした。", widen(path));
    d.file = path;
    repaint_grid(d);
    set_caption(d);
    return;
  }
}

// The reads need the answer of one unit.
void read_glyph(GlyphEditorDialog& d, const Command& read) {
  if (d.program.session.operator_road.exchange.awaiting_reply() || refuse_broadcast(d.program))
    return;
  if (!save_first(d)) return;
  send_single_command(d.program, read);
}

void on_sample_edited(GlyphEditorDialog& d) {
  const bool typed = GetWindowTextLengthW(GetDlgItem(d.window, IDE_SAMPLE)) > 0;
  EnableWindow(GetDlgItem(d.window, IDB_READ_SAMPLE), typed);
}

std::string sample_character(GlyphEditorDialog& d) {
  wchar_t sample[8] = {};
  GetDlgItemTextW(d.window, IDE_SAMPLE, sample, 8);
  return to_shift_jis(sample);
}

// "00".."31": commands to Broadcast set elsewhere still go out, but the list
// shows no choice then.
void fill_unit_list(GlyphEditorDialog& d) {
  std::vector<std::string> items;
  for (int address = 0; address < kBroadcastAddress; ++address)
    items.push_back(slave_address_name(address));
  const int selected = d.program.session.selections.slaveAddress;
  fill_list(d.window, IDC_SLAVE_LIST, items, selected < kBroadcastAddress ? selected : -1);
  enable_slave_address_list_by_link(d.program, d.window);
}

void on_init(GlyphEditorDialog& d, HWND dialog) {
  d.window = dialog;
  begin_dialog(d.program, dialog);
  d.editor.lift();
  d.registration() = clamp_registration(d.editor.size(), d.registration());
  fill_list(dialog, IDC_REGISTRATION_LIST, registration_items(d.editor.size()), d.registration());
  fill_unit_list(d);
  SendDlgItemMessageW(dialog, IDE_SAMPLE, EM_LIMITTEXT, 1, 0);
  SetDlgItemTextW(dialog, IDE_SAMPLE, L"");
  on_sample_edited(d);
  set_caption(d);
}

// Closing asks about a changed drawing first; a glyph still on its way from
// the unit is no longer wanted.
void close(GlyphEditorDialog& d) {
  if (!save_first(d)) return;
  d.editor.clear();
  d.file.clear();
  d.program.session.operator_road.awaitedGlyphCode.clear();
  end_dialog(d.program, d.window, IDB_CLOSE);
}

void on_command(GlyphEditorDialog& d, int id, int notification) {
  switch (id) {
    case IDB_GLYPH_NEW:
      return new_glyph(d);
    case IDB_GLYPH_OPEN:
      return open_glyph(d);
    case IDB_GLYPH_SAVE:
      save_glyph(d);
      return;
    case IDB_GLYPH_SAVE_AS:
      save_glyph_as(d);
      return;
    case IDC_REGISTRATION_LIST:
      if (notification == CBN_SELCHANGE)
        d.registration() =
            clamp_registration(d.editor.size(), selected_item(d.window, IDC_REGISTRATION_LIST));
      return;
    case IDB_REGISTER:
      return send_single_command(d.program, d.editor.register_command(d.registration()));
    case IDB_READ_REGISTERED:
      return read_glyph(d, d.editor.read_command(d.registration()));
    case IDE_SAMPLE:
      if (notification == EN_CHANGE) on_sample_edited(d);
      return;
    case IDB_READ_SAMPLE:
      return read_glyph(d, d.editor.sample_command(sample_character(d)));
    case IDC_SLAVE_LIST:
      if (notification == CBN_SELCHANGE) take_slave_address(d.program, d.window);
      return;
    case IDB_CLOSE:
      return close(d);
  }
}

INT_PTR CALLBACK glyph_editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* d = dialog_data<GlyphEditorDialog>(dialog, message, lparam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*d, dialog);
      return TRUE;
    case WM_PAINT:
      on_paint(*d);
      return TRUE;
    case WM_LBUTTONDOWN:
      on_button_down(*d, GlyphEditor::Pen::set, lparam);
      return TRUE;
    case WM_RBUTTONDOWN:
      on_button_down(*d, GlyphEditor::Pen::clear, lparam);
      return TRUE;
    case WM_MOUSEMOVE:
      repaint_cell(*d, d->editor.move(unscaled(GET_X_LPARAM(lparam), window_dpi(dialog)),
                                      unscaled(GET_Y_LPARAM(lparam), window_dpi(dialog))));
      return TRUE;
    case WM_LBUTTONUP:
      on_button_up(*d, GlyphEditor::Pen::set);
      return TRUE;
    case WM_RBUTTONUP:
      on_button_up(*d, GlyphEditor::Pen::clear);
      return TRUE;
    case WM_CAPTURECHANGED:
      d->editor.lift();
      return TRUE;
    case WM_COMMAND:
      on_command(*d, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      close(*d);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_glyph_editor(Program& program, GlyphSize size) {
  GlyphEditorDialog dialog(program, size);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_GLYPH_EDITOR),
                  program.shell.main_window, glyph_editor_proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace orv::win
