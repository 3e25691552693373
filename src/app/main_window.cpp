#include "app/main_window.h"

#include <commctrl.h>

#include <string>

#include "app/message_boxes_win.h"
#include "app/text_win.h"
#include "dialogs/dialog_openers.h"
#include "protocol/replies.h"
#include "resource.h"
#include "settings_file/file_menu_win.h"

namespace orv::win {
namespace {

constexpr UINT_PTR kReplyTimer = 1;
constexpr UINT kReplyTimerMs = 190;
constexpr UINT_PTR kHintTimer = 8;
constexpr UINT kHintTimerMs = 50;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 55;
constexpr wchar_t kReady[] = L"ﾚﾃﾞｨ";
constexpr char kBroadcastRefused[] = "スレーブアドレスを「Broadcast」以外に設定してください。";

struct PanelButton {
  const wchar_t* label;
  COLORREF colour;
  const wchar_t* hint;
};

// Buttons 10..22, left to right.
constexpr PanelButton kPanel[kPanelButtons] = {
    {L"O.P", RGB(0, 0, 0), L"画面表示パターンの設定"},
    {L"S.P", RGB(255, 0, 0), L"自動切換えパターンの設定"},
    {L"C.S", RGB(255, 0, 255), L"日付・時刻の設定"},
    {L"C.I", RGB(0, 255, 255), L"日付・時刻表示の設定（入力側）"},
    {L"C.O", RGB(0, 0, 255), L"日付・時刻の設定（出力側）"},
    {L"T.S", RGB(102, 51, 0), L"タイトルの設定"},
    {L"T.I", RGB(255, 255, 102), L"タイトル表示の設定（入力側）"},
    {L"T.O", RGB(153, 153, 255), L"タイトル表示の設定（出力側）"},
    {L"T.P", RGB(102, 255, 51), L"タイトル位置の設定"},
    {L"F.S", RGB(102, 102, 102), L"フォントサイズの設定"},
    {L"T.A", RGB(204, 204, 204), L"タイトル位置調整"},
    {L"P.S", RGB(0, 102, 0), L"パスワードの設定"},
    {L"O.E", RGB(102, 0, 153), L"映像出力の設定"},
};

// The menu command each panel button stands for.
constexpr int kPanelCommands[kPanelButtons] = {IDM_SCREEN_PATTERN,
                                               IDM_SWITCHING_PATTERN,
                                               IDM_DATE_TIME,
                                               IDM_DATE_TIME_DISPLAY_INPUT,
                                               IDM_DATE_TIME_DISPLAY_OUTPUT,
                                               IDM_TITLE,
                                               IDM_TITLE_DISPLAY_INPUT,
                                               IDM_TITLE_DISPLAY_OUTPUT,
                                               IDM_TITLE_POSITION,
                                               IDM_FONT_SIZE,
                                               IDM_TITLE_ADJUSTMENT,
                                               IDM_PASSWORD,
                                               IDM_VIDEO_OUTPUT};

Program& program_of(HWND window) {
  return *reinterpret_cast<Program*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void create_children(Program& p, HWND window) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  p.status_bar =
      CreateWindowExW(0, STATUSCLASSNAMEW, kReady, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                      reinterpret_cast<HMENU>(IDC_STATUS_BAR), p.instance, nullptr);
  p.status_text = kReady;
  for (int k = 0; k < kPanelButtons; ++k) {
    p.buttons[k] =
        CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, kButtonWidth * k,
                        0, kButtonWidth, kButtonHeight, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDB_FIRST_PANEL_BUTTON + k)),
                        p.instance, nullptr);
  }
}

// A colour strip near the top, the label below it, and a raised edge (sunken
// while pressed).
void paint_panel_button(const DRAWITEMSTRUCT& item) {
  const int index = static_cast<int>(item.CtlID) - IDB_FIRST_PANEL_BUTTON;
  if (index < 0 || index >= kPanelButtons) return;
  const PanelButton& button = kPanel[index];
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));

  HPEN pen = CreatePen(PS_SOLID, 1, button.colour);
  HBRUSH brush = CreateSolidBrush(button.colour);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  Rectangle(dc, r.left + 5, r.top + 5, r.right - 5, r.bottom - 40);

  HGDIOBJ old_font = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
  RECT text = {r.left + 5, r.top + 33, r.right - 5, r.bottom - 5};
  DrawTextW(dc, button.label, -1, &text, DT_CENTER | DT_SINGLELINE);
  DrawEdge(dc, &r, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  SelectObject(dc, old_font);
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void show_status(Program& p, const std::wstring& text) {
  if (text == p.status_text) return;
  p.status_text = text;
  SendMessageW(p.status_bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Timer 8: the hint of the button under the pointer, only while the main
// window is the active one.
void update_hover_hint(Program& p) {
  if (GetActiveWindow() != p.main_window) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  for (int k = 0; k < kPanelButtons; ++k) {
    RECT r{};
    GetWindowRect(p.buttons[k], &r);
    const bool inside = pointer.x >= r.left && pointer.x <= r.right && pointer.y >= r.top &&
                        pointer.y <= r.bottom;  // edges included
    if (inside) return show_status(p, kPanel[k].hint);
  }
  show_status(p, kReady);
}

// Timer 1: the outcome of the outstanding command, through the core's decision.
void present_reply_outcome(Program& p) {
  const Timer1Decision decision = timer1_tick(p.state.reply);
  if (decision.stop_status_poll && p.current_dialog()) KillTimer(p.current_dialog(), 10);
  show_box(decision.box);
  // The box ran its own message loop: the dialog open now is the one to close.
  if (decision.close_current_dialog && p.current_dialog())
    SendMessageW(p.current_dialog(), WM_CLOSE, 0, 0);
}

void handle_serial_lines(Program& p) {
  for (const std::string& line : p.serial.take_lines()) {
    const ReplyEffects effects = handle_serial_reply(p.state, line);
    HWND dialog = p.current_dialog();
    if (effects.glyph_updated && dialog) InvalidateRect(dialog, nullptr, TRUE);
  }
}

// Commands that need a reply from one unit cannot go to Broadcast.
bool refuse_broadcast(Program& p) {
  if (p.state.slaveAddress != kBroadcastAddress || !p.state.config.addressed_serial()) return false;
  show_box(error_box(kBroadcastRefused));
  return true;
}

void switch_model(Program& p, int model) {
  if (p.state.settings.model == model) return;
  apply_model(p.state.settings, model);
  p.state.config.select_model = model;
  write_select_model(p.profile, model);
  apply_model_menu_mark(p);
}

INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

// The close path: the save question, then the refusal while TCP/IP is
// connected. When the operator asks to save and the save does not happen,
// the program stays open with the settings still marked changed.
void close_program(Program& p) {
  if (p.state.settings.settingsDirty != 0) {
    const int answer = MessageBoxW(p.main_window, L"ファイルが変更されています。保存しますか？",
                                   L"保存確認", MB_YESNO);
    if (answer == IDYES && !file_save(p)) return;
    p.state.settings.settingsDirty = 0;
  }
  if (p.tcp_connected) {
    show_box(error_box("TCP/IPを切断してください。"));
    return;
  }
  KillTimer(p.main_window, kReplyTimer);
  p.running = 0;
  PostQuitMessage(0);
}

void run_command(Program& p, int command) {
  switch (command) {
    case IDM_EXIT:
      return close_program(p);
    case IDM_ABOUT:
      DialogBoxParamW(p.instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), p.main_window, about_box_proc, 0);
      return;
    case IDM_FILE_SAVE:
      file_save(p);
      return;
    case IDM_FILE_SAVE_AS:
      file_save_as(p);
      return;
    case IDM_MODEL_ORVELLAN:
      return switch_model(p, kModelOrvellan);
    case IDM_MODEL_TARQUINE:
      return switch_model(p, kModelTarquine);
    case IDM_READ_ALL:
      if (refuse_broadcast(p)) return;
      return;  // the read-all dialog
    case IDM_STATUS:
      if (refuse_broadcast(p)) return;
      return;  // the status window
    case IDM_PROTOCOL:
      if (p.state.config.interface_set != 0)
        show_box(error_box("インターフェイスをRS-232C/RS-485にしてください。"));
      return;  // the LAN converter dialog
    default:
      open_setting_dialog(p, command);
      return;
  }
}

LRESULT on_create(HWND window, const CREATESTRUCTW& create) {
  auto* p = static_cast<Program*>(create.lpCreateParams);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(p));
  p->main_window = window;
  p->running = 1;
  SetTimer(window, kHintTimer, kHintTimerMs, nullptr);
  create_children(*p, window);
  return 0;
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) return on_create(window, *reinterpret_cast<CREATESTRUCTW*>(lparam));
  if (GetWindowLongPtrW(window, GWLP_USERDATA) == 0)
    return DefWindowProcW(window, message, wparam, lparam);
  Program& p = program_of(window);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DRAWITEM:
      paint_panel_button(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_TIMER:
      if (wparam == kReplyTimer) present_reply_outcome(p);
      if (wparam == kHintTimer) update_hover_hint(p);
      return 0;
    case WM_APP_SERIAL_LINES:
      handle_serial_lines(p);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= IDB_FIRST_PANEL_BUTTON && id <= IDB_LAST_PANEL_BUTTON)
        run_command(p, kPanelCommands[id - IDB_FIRST_PANEL_BUTTON]);
      else
        run_command(p, id);
      return 0;
    }
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
  wc.hInstance = p.instance;
  wc.hIcon = LoadIconW(p.instance, MAKEINTRESOURCEW(IDI_ORVELLAN));
  wc.hIconSm = static_cast<HICON>(LoadImageW(p.instance, MAKEINTRESOURCEW(IDI_ORVELLAN), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
  wc.lpszClassName = p.window_class.c_str();
  return RegisterClassExW(&wc) != 0;
}

HWND create_main_window(Program& p) {
  return CreateWindowExW(0, p.window_class.c_str(), p.window_title.c_str(),
                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, 0,
                         785, 130, nullptr, nullptr, p.instance, &p);
}

void apply_interface_menu_state(Program& p) {
  HMENU menu = GetMenu(p.main_window);
  const bool serial = p.state.config.serial_interface();
  auto enable = [menu](int id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(IDM_SERIAL_SETTINGS, serial);
  enable(IDM_CLIENT_SERVER, !serial);
  enable(IDM_TCP_SETTINGS, !serial);
  enable(IDM_SLAVE_ADDRESS, p.state.config.addressed_serial());
}

void apply_model_menu_mark(Program& p) {
  const int selected =
      p.state.settings.model == kModelOrvellan ? IDM_MODEL_ORVELLAN : IDM_MODEL_TARQUINE;
  CheckMenuRadioItem(GetMenu(p.main_window), IDM_MODEL_ORVELLAN, IDM_MODEL_TARQUINE, selected,
                     MF_BYCOMMAND);
}

void set_main_caption(Program& p) {
  const std::wstring caption = L"ORVELLAN   " + p.state.settings.settingsFilePath.wstring();
  SetWindowTextW(p.main_window, caption.c_str());
}

}  // namespace orv::win
