// Resource identifiers of orvellan.exe. Command identifiers are the ones the
// menu and the buttons have always used.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Strings
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

// Icons, menu, accelerators
#define IDI_ORVELLAN 107
#define IDR_MAIN_MENU 110
#define IDR_ACCELERATORS 111

// The About box (each dialog keeps its template and control identifiers
// beside its source: win/dialogs/per_channel_dialog.rc and
// win/dialogs/per_channel_dialog_res.h, and so on).
#define IDD_ABOUTBOX 120
#define IDC_ABOUT_VERSION 1001

// Main window children
#define IDB_FIRST_PANEL_BUTTON 10  // 10..22, left to right
#define IDB_LAST_PANEL_BUTTON 22
#define IDC_STATUS_BAR 30

// Controls many dialogs share, with the same identifier in each.
#define IDC_SLAVE_GROUP 1010  // "スレーブアドレス"
#define IDC_SLAVE_LIST 1011
#define IDB_SET 1012      // "設定"
#define IDB_SET_ALL 1013  // "全設定"
#define IDB_CLOSE 1014    // "Close"
#define IDE_PERCENT 1015  // a run's progress in percent
#define IDC_PROGRESS 1016
#define IDC_PATTERN_LIST 1017      // "パターンナンバー"
#define IDB_SET_CHANNEL 1018       // "チャンネル設定"
#define IDB_SET_PATTERN 1019       // "パターン設定"
#define IDB_SET_ALL_PATTERNS 1020  // "全パターン設定"
#define IDC_REPLY_PACED 1021       // "高速（応答ごとに次を送信）" beside a stepped run

// Menu and accelerator commands
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_INTERFACE 32771
#define IDM_SERIAL_SETTINGS 32772
#define IDM_TCP_SETTINGS 32773
#define IDM_DATE_TIME 32774
#define IDM_TITLE 32775
#define IDM_TITLE_POSITION 32777
#define IDM_SCREEN_PATTERN 32778
#define IDM_SWITCHING_PATTERN 32779
#define IDM_PASSWORD 32782
#define IDM_VIDEO_OUTPUT 32783
#define IDM_SET_ALL 32784
#define IDM_READ_ALL 32786
#define IDM_DATE_TIME_DISPLAY_INPUT 32790
#define IDM_DATE_TIME_DISPLAY_OUTPUT 32791
#define IDM_TITLE_DISPLAY_INPUT 32792
#define IDM_TITLE_DISPLAY_OUTPUT 32793
#define IDM_CLIENT_SERVER 32794
#define IDM_FILE_NEW 32795
#define IDM_FILE_OPEN 32796
#define IDM_FILE_SAVE 32797
#define IDM_FILE_SAVE_AS 32798
#define IDM_GLYPH_INSERT 32800
#define IDM_GLYPH_SMALL 32801
#define IDM_GLYPH_MEDIUM 32802
#define IDM_GLYPH_LARGE 32803
#define IDM_FONT_SIZE 32804
#define IDM_TITLE_ADJUSTMENT 32805
#define IDM_PROTOCOL 32808
#define IDM_STATUS 32809
#define IDM_MODEL_ORVELLAN 32810
#define IDM_MODEL_TARQUINE 32811
#define IDM_SLAVE_ADDRESS 32812
#define IDM_TRAFFIC_LOG 32813
#define IDM_FILE_BACKUP 32814
#define IDM_FILE_RESTORE 32815
#define IDM_SUCCESS_IN_STATUS_LINE 32816
#define IDM_FILE_COMPARE 32817  // "ファイルと比較…"
#define IDM_UNIT_COMPARE 32818  // "機器と比較…"
