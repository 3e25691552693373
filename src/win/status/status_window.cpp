#include "win/status/status_window.h"

#include <string>

#include "protocol/number_text.h"
#include "status/status_layout.h"
#include "win/base/dialog_common.h"
#include "win/base/dpi.h"
#include "win/base/scoped.h"
#include "win/base/timers_and_messages.h"
#include "win/base/window_places.h"
#include "win/platform/text.h"
#include "win/status/status_window_res.h"

namespace orv::win {
namespace {

constexpr COLORREF kShown = RGB(255, 255, 0);
constexpr COLORREF kNotShown = RGB(0, 0, 255);

struct StatusWindow {
  explicit StatusWindow(Program& p) : program(p), poll(kStatusPollTimer) {}
  Program& program;
  WindowTimer poll;
  int inputs() const { return program.session.document.settings.inputCount; }
  StatusGrid& grid() { return program.session.monitor.grid; }
};

RECT rect_of(const PixelBox& box) {
  return RECT{box.left, box.top, box.right, box.bottom};
}

void draw(HDC dc, int x, int y, const std::string& text) {
  const std::wstring wide = widen(text);
  TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

// The whole grid; only what the update region holds reaches the screen.
void on_paint(StatusWindow& w, HWND window) {
  const PaintScope paint(window);
  HDC dc = paint.dc();
  const GdiObject<HFONT> font(CreateFontW(11, 6, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          DEFAULT_QUALITY, DEFAULT_PITCH, L"ＭＳ ゴシック"));
  const GdiObject<HBRUSH> shown(CreateSolidBrush(kShown));
  const GdiObject<HBRUSH> not_shown(CreateSolidBrush(kNotShown));
  const SelectedObject font_in_use(dc, font.get());
  const StatusGrid& grid = w.grid();
  const int inputs = w.inputs();
  for (int output = 0; output < kOutputCount; ++output) {
    const int y = status_row_y(output);
    draw(dc, 15, y + 1, decimal_text(output + 1, 2));
    const PixelBox label = status_label(output, inputs);
    draw(dc, label.left, label.top, status_label_text(grid.switchingPattern[output]));
    for (int input = 0; input < inputs; ++input) {
      const PixelBox cell = status_cell(output, input, inputs);
      const SelectedObject fill(dc,
                                grid.shownInput[output] == input ? shown.get() : not_shown.get());
      Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
      if (output == 0) draw(dc, cell.left, 21, decimal_text(input + 1, 2));
    }
  }
}

// Only the cells and labels the last replies changed are painted again.
void repaint_changes(StatusWindow& w, HWND window) {
  StatusGrid& grid = w.grid();
  for (int output : grid.changedCells) {
    for (int input : {grid.previousShownInput[output], grid.shownInput[output]}) {
      invalidate_layout(window, rect_of(status_cell(output, input, w.inputs())));
    }
  }
  for (int output : grid.changedLabels) {
    invalidate_layout(window, rect_of(status_label(output, w.inputs())));
  }
  grid.changedCells.clear();
  grid.changedLabels.clear();
}

// Polls while nothing is awaited; a failure already reported ends the polling.
void on_poll(StatusWindow& w) {
  Session& s = w.program.session;
  if (s.operator_road.exchange.result_code() == ResultCode::reported ||
      s.operator_road.exchange.send_failed()) {
    w.poll.stop();
    s.operator_road.exchange.abandon();
    return;
  }
  if (s.operator_road.exchange.awaiting_reply() || !s.operator_road.exchange.close_on_failure())
    return;
  send_single_command(w.program, status_poll(s.monitor.polls));
  s.monitor.polls = next_status_poll(s.monitor.polls);
}

void on_init(StatusWindow& w, HWND window) {
  Session& s = w.program.session;
  begin_dialog(w.program, window);
  SetWindowTextW(window, L"入出力の状態  ");
  const UINT dpi = window_dpi(window);
  if (w.inputs() == 32)
    SetWindowPos(window, nullptr, 0, 0, scaled(550, dpi), scaled(490, dpi),
                 SWP_NOMOVE | SWP_NOZORDER);
  restore_place(w.program, window, kStatusWindowPlace);
  s.monitor.grid.reset();
  s.monitor.open = true;
  w.poll.start(window);
}

void close(StatusWindow& w, HWND window) {
  Session& s = w.program.session;
  s.operator_road.exchange.set_close_on_failure(false);
  s.operator_road.exchange.completion_taken();
  s.monitor.open = false;
  w.poll.stop();
  keep_place(w.program, window, kStatusWindowPlace);
  end_dialog(w.program, window, IDCANCEL);
}

INT_PTR CALLBACK status_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* w = dialog_data<StatusWindow>(window, message, lparam);
  if (!w) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      on_init(*w, window);
      return TRUE;
    case WM_PAINT:
      on_paint(*w, window);
      return TRUE;
    case WM_TIMER:
      if (wparam == kStatusPollTimer.id) on_poll(*w);
      return TRUE;
    case WM_APP_STATUS_CHANGED:
      repaint_changes(*w, window);
      return TRUE;
    case WM_COMMAND:
      return TRUE;  // Enter and Escape do nothing
    case WM_CLOSE:
      close(*w, window);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void open_status_window(Program& program) {
  program.session.operator_road.exchange.set_close_on_failure(true);
  StatusWindow window(program);
  DialogBoxParamW(program.shell.instance, MAKEINTRESOURCEW(IDD_STATUS), program.shell.main_window,
                  status_proc, reinterpret_cast<LPARAM>(&window));
}

}  // namespace orv::win
