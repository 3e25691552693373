#include "win/main/main_window.h"

#include <commctrl.h>

#include <string>

#include "resource.h"
#include "win/base/dpi.h"
#include "win/base/link_pump.h"
#include "win/base/message_boxes.h"
#include "win/base/scoped.h"
#include "win/base/timers_and_messages.h"
#include "win/files/file_menu.h"
#include "win/main/dialog_table.h"
#include "win/platform/text.h"

namespace orv::win {
namespace {

constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 55;
constexpr wchar_t kReady[] = L"ﾚﾃﾞｨ";

struct PanelButton {
  const wchar_t* label;
  COLORREF colour;
  const wchar_t* hint;
  int command;  // the menu command the button stands for
};

// Buttons 10..22, left to right.
constexpr PanelButton kPanel[kPanelButtons] = {
    {L"O.P", RGB(0, 0, 0), L"画面表示パターンの設定", IDM_SCREEN_PATTERN},
    {L"S.P", RGB(255, 0, 0), L"自動切換えパターンの設定", IDM_SWITCHING_PATTERN},
    {L"C.S", RGB(255, 0, 255), L"日付・時刻の設定", IDM_DATE_TIME},
    {L"C.I", RGB(0, 255, 255), L"日付・時刻表示の設定（入力側）", IDM_DATE_TIME_DISPLAY_INPUT},
    {L"C.O", RGB(0, 0, 255), L"日付・時刻の設定（出力側）", IDM_DATE_TIME_DISPLAY_OUTPUT},
    {L"T.S", RGB(102, 51, 0), L"タイトルの設定", IDM_TITLE},
    {L"T.I", RGB(255, 255, 102), L"タイトル表示の設定（入力側）", IDM_TITLE_DISPLAY_INPUT},
    {L"T.O", RGB(153, 153, 255), L"タイトル表示の設定（出力側）", IDM_TITLE_DISPLAY_OUTPUT},
    {L"T.P", RGB(102, 255, 51), L"タイトル位置の設定", IDM_TITLE_POSITION},
    {L"F.S", RGB(102, 102, 102), L"フォントサイズの設定", IDM_FONT_SIZE},
    {L"T.A", RGB(204, 204, 204), L"タイトル位置調整", IDM_TITLE_ADJUSTMENT},
    {L"P.S", RGB(0, 102, 0), L"パスワードの設定", IDM_PASSWORD},
    {L"O.E", RGB(102, 0, 153), L"映像出力の設定", IDM_VIDEO_OUTPUT},
};

Program& program_of(HWND window) {
  return *reinterpret_cast<Program*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void create_children(Program& p, HWND window) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  p.shell.status_bar =
      CreateWindowExW(0, STATUSCLASSNAMEW, kReady, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                      reinterpret_cast<HMENU>(IDC_STATUS_BAR), p.shell.instance, nullptr);
  p.shell.status_text = kReady;
  const UINT dpi = window_dpi(window);
  for (int k = 0; k < kPanelButtons; ++k) {
    p.shell.buttons[k] = CreateWindowExW(
        0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, scaled(kButtonWidth * k, dpi), 0,
        scaled(kButtonWidth, dpi), scaled(kButtonHeight, dpi), window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDB_FIRST_PANEL_BUTTON + k)), p.shell.instance,
        nullptr);
  }
}

// Moved to a monitor of another DPI: the size Windows suggests, the panel
// buttons at the new scale, the status bar along the bottom again.
void on_dpi_changed(Program& p, HWND window, UINT dpi, const RECT& suggested) {
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (int k = 0; k < kPanelButtons; ++k)
    MoveWindow(p.shell.buttons[k], scaled(kButtonWidth * k, dpi), 0, scaled(kButtonWidth, dpi),
               scaled(kButtonHeight, dpi), TRUE);
  SendMessageW(p.shell.status_bar, WM_SIZE, 0, 0);
}

// A colour strip near the top, the label below it, and a raised edge (sunken
// while pressed).
void paint_panel_button(const DRAWITEMSTRUCT& item) {
  const int index = static_cast<int>(item.CtlID) - IDB_FIRST_PANEL_BUTTON;
  if (index < 0 || index >= kPanelButtons) return;
  const PanelButton& button = kPanel[index];
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  // The label's font, as its design gives it in layout units: it grows with
  // the DPI as the rest does.
  LOGFONTW design{};
  GetObjectW(GetStockObject(ANSI_VAR_FONT), sizeof design, &design);
  const GdiObject<HFONT> font(CreateFontIndirectW(&design));
  const LayoutMapping mapping(dc, window_dpi(item.hwndItem));
  const SelectedObject font_in_use(dc, font.get());
  RECT r{0, 0, kButtonWidth, kButtonHeight};

  const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, button.colour));
  const GdiObject<HBRUSH> brush(CreateSolidBrush(button.colour));
  const SelectedObject pen_in_use(dc, pen.get());
  const SelectedObject brush_in_use(dc, brush.get());
  Rectangle(dc, r.left + 5, r.top + 5, r.right - 5, r.bottom - 40);

  RECT text = {r.left + 5, r.top + 33, r.right - 5, r.bottom - 5};
  DrawTextW(dc, button.label, -1, &text, DT_CENTER | DT_SINGLELINE);
  DrawEdge(dc, &r, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

// Timer 8: the hint of the button under the pointer, only while the main
// window is the active one.
void update_hover_hint(Program& p) {
  if (GetActiveWindow() != p.shell.main_window) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  for (int k = 0; k < kPanelButtons; ++k) {
    RECT r{};
    GetWindowRect(p.shell.buttons[k], &r);
    const bool inside = pointer.x >= r.left && pointer.x <= r.right && pointer.y >= r.top &&
                        pointer.y <= r.bottom;  // edges included
    if (!inside) continue;
    p.shell.status_note.clear();
    return show_status(p, kPanel[k].hint);
  }
  show_status(p, p.shell.status_note.empty() ? kReady : p.shell.status_note);
}

constexpr wchar_t kSuccessNote[] = L"Success";

// A success shown in the status line (the option) stays a few seconds.
void note_success(Program& p) {
  note_in_status_line(p, kSuccessNote);
  SetTimer(p.shell.main_window, kSuccessNoteTimer.id, kSuccessNoteTimer.period_ms, nullptr);
}

void end_success_note(Program& p) {
  KillTimer(p.shell.main_window, kSuccessNoteTimer.id);
  if (p.shell.status_note != kSuccessNote) return;
  p.shell.status_note.clear();
  show_status(p, kReady);
}

// Timer 1: every conversation hears the tick (a late reply asked for again,
// or its command ended), then the outcome of the operator's command,
// through the core's decision. While a box of either is up, a line nobody
// asked for is counted, not boxed.
void present_reply_outcome(Program& p) {
  BoxGuard& boxes = p.session.boxes;
  boxes.outcome_box_shown();
  show_effects(p, tick_conversations(p.session));
  boxes.outcome_box_closed();
  const Timer1Decision decision = timer1_tick(p.session.operator_road.exchange);
  if (decision.box.kind == BoxKind::connected && p.session.config.success_in_status_line)
    return note_success(p);
  if (decision.stop_status_poll && p.shell.current_dialog)
    KillTimer(p.shell.current_dialog, kStatusPollTimer.id);
  boxes.outcome_box_shown();
  show_box(decision.box);
  boxes.outcome_box_closed();
  // The box ran its own message loop: the dialog open now is the one to close.
  if (decision.close_current_dialog && p.shell.current_dialog)
    SendMessageW(p.shell.current_dialog, WM_CLOSE, 0, 0);
}

void apply_model_menu_mark(Program& p) {
  const int selected =
      p.session.document.settings.model == kModelOrvellan ? IDM_MODEL_ORVELLAN : IDM_MODEL_TARQUINE;
  CheckMenuRadioItem(GetMenu(p.shell.main_window), IDM_MODEL_ORVELLAN, IDM_MODEL_TARQUINE, selected,
                     MF_BYCOMMAND);
}

void apply_option_menu_marks(Program& p) {
  CheckMenuItem(
      GetMenu(p.shell.main_window), IDM_SUCCESS_IN_STATUS_LINE,
      MF_BYCOMMAND | (p.session.config.success_in_status_line ? MF_CHECKED : MF_UNCHECKED));
}

// "成功の表示をステータス行にする": the option turned, kept and marked.
void toggle_success_in_status_line(Program& p) {
  Configuration& c = p.session.config;
  write_success_in_status_line(c, p.profile, !c.success_in_status_line);
  apply_option_menu_marks(p);
}

void set_main_caption(Program& p) {
  const std::wstring caption = L"ORVELLAN   " + widen(p.session.document.settings.settingsFilePath);
  SetWindowTextW(p.shell.main_window, caption.c_str());
}

// The close path: the save question, then the refusal while TCP/IP is
// connected. When the operator asks to save and the save does not happen,
// the program stays open with the settings still marked changed.
void close_program(Program& p) {
  if (!ask_to_save(p)) return;
  p.session.document.settings.settingsDirty = 0;  // a refused close does not ask again
  if (p.links.client.connected() || p.links.server.connected()) {
    show_box(error_box("TCP/IPを切断してください。"));
    return;
  }
  KillTimer(p.shell.main_window, kReplyTimer.id);
  PostQuitMessage(0);
}

// The commands the main window carries out itself; false for the others,
// which open dialogs.
bool run_own_command(Program& p, int command) {
  switch (command) {
    case IDM_EXIT:
      close_program(p);
      return true;
    case IDM_FILE_NEW:
      file_new(p);
      return true;
    case IDM_FILE_OPEN:
      file_open(p);
      return true;
    case IDM_FILE_SAVE:
      file_save(p);
      return true;
    case IDM_FILE_SAVE_AS:
      file_save_as(p);
      return true;
    case IDM_MODEL_ORVELLAN:
      switch_model(p, kModelOrvellan);
      return true;
    case IDM_MODEL_TARQUINE:
      switch_model(p, kModelTarquine);
      return true;
    case IDM_SUCCESS_IN_STATUS_LINE:
      toggle_success_in_status_line(p);
      return true;
    default:
      return false;
  }
}

void run_command(Program& p, int command) {
  if (!run_own_command(p, command)) open_dialog_for_command(p, command);
}

// A panel button stands for its menu command; menu and accelerator commands
// come without a control, unlike the status bar's notifications.
void on_command(Program& p, int id, int notification, LPARAM control) {
  if (id >= IDB_FIRST_PANEL_BUTTON && id <= IDB_LAST_PANEL_BUTTON) {
    if (notification == BN_CLICKED) run_command(p, kPanel[id - IDB_FIRST_PANEL_BUTTON].command);
  } else if (control == 0) {
    run_command(p, id);
  }
}

void on_timer(Program& p, UINT_PTR timer) {
  if (timer == kReplyTimer.id) present_reply_outcome(p);
  if (timer == kHintTimer.id) update_hover_hint(p);
  if (timer == kSuccessNoteTimer.id) end_success_note(p);
}

// The buttons paint themselves.
void on_paint(HWND window) {
  const PaintScope paint(window);
}

LRESULT on_create(HWND window, const CREATESTRUCTW& create) {
  auto* p = static_cast<Program*>(create.lpCreateParams);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(p));
  p->shell.main_window = window;
  SetTimer(window, kHintTimer.id, kHintTimer.period_ms, nullptr);
  create_children(*p, window);
  return 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) return on_create(window, *reinterpret_cast<CREATESTRUCTW*>(lparam));
  if (GetWindowLongPtrW(window, GWLP_USERDATA) == 0)
    return DefWindowProcW(window, message, wparam, lparam);
  Program& p = program_of(window);
  switch (message) {
    case WM_PAINT:
      on_paint(window);
      return 0;
    case WM_DPICHANGED:
      on_dpi_changed(p, window, HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_DRAWITEM:
      paint_panel_button(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_TIMER:
      on_timer(p, wparam);
      return 0;
    case WM_APP_DOCUMENT_CHANGED:
      set_main_caption(p);
      return 0;
    case WM_APP_LINE_CHANGED:
      apply_interface_menu_state(p);
      return 0;
    case WM_APP_OPTIONS_CHANGED:
      apply_menu_marks(p);
      return 0;
    case WM_COMMAND:
      on_command(p, LOWORD(wparam), HIWORD(wparam), lparam);
      return 0;
    case WM_CLOSE:
      close_program(p);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

bool register_main_window_class(Program& p) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = main_window_proc;
  wc.hInstance = p.shell.instance;
  wc.hIcon = LoadIconW(p.shell.instance, MAKEINTRESOURCEW(IDI_ORVELLAN));
  wc.hIconSm = static_cast<HICON>(LoadImageW(p.shell.instance, MAKEINTRESOURCEW(IDI_ORVELLAN),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
  wc.lpszClassName = p.shell.window_class.c_str();
  return RegisterClassExW(&wc) != 0;
}

HWND create_main_window(Program& p) {
  return CreateWindowExW(0, p.shell.window_class.c_str(), p.shell.window_title.c_str(),
                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, 0,
                         scaled(785, screen_dpi()), scaled(130, screen_dpi()), nullptr, nullptr,
                         p.shell.instance, &p);
}

void start_reply_timer(Program& p) {
  SetTimer(p.shell.main_window, kReplyTimer.id, kReplyTimer.period_ms, nullptr);
}

void apply_menu_marks(Program& p) {
  apply_model_menu_mark(p);
  apply_option_menu_marks(p);
}

int run_message_loop(Program& p) {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The modeless traffic log takes its own keys (Tab, Escape).
    if (p.shell.traffic_window && IsDialogMessageW(p.shell.traffic_window, &message)) continue;
    // Accelerators belong to the main window, whichever child has the focus.
    if (!TranslateAcceleratorW(p.shell.main_window, p.shell.accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

void apply_interface_menu_state(Program& p) {
  HMENU menu = GetMenu(p.shell.main_window);
  const bool serial = p.session.config.serial_interface();
  auto enable = [menu](int id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(IDM_SERIAL_SETTINGS, serial);
  enable(IDM_CLIENT_SERVER, !serial);
  enable(IDM_TCP_SETTINGS, !serial);
  enable(IDM_SLAVE_ADDRESS, p.session.config.addressed_serial());
}

}  // namespace orv::win
