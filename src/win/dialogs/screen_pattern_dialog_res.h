// "画面表示パターン": its template and own controls (the pattern list, the
// "チャンネル設定", "パターン設定" and "全パターン設定" buttons, the percent edit,
// the slave address list and "Close" are the shared ones of resource.h).
#pragma once

#define IDD_SCREEN_PATTERN 132

#define IDC_OUTPUT_LIST 1301       // "出力チャンネル"
#define IDC_SOURCE_LIST 1302       // "表示画面"
#define IDC_SAME_SOURCE_LIST 1303  // "同表示画面"
#define IDB_SWITCH_SCREENS 1304    // "画面切換え"
