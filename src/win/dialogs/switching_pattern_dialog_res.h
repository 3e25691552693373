// "自動切換えパターン": its template and own controls (the pattern list, the
// "チャンネル設定", "パターン設定" and "全パターン設定" buttons, the percent edit,
// the slave address list and "Close" are the shared ones of resource.h).
#pragma once

#define IDD_SWITCHING_PATTERN 133

#define IDC_INPUT_LIST 1351      // "入力チャンネル"
#define IDC_TIME_LIST 1352       // "時間（秒）"
#define IDC_SAME_TIME_LIST 1353  // "同時間（秒）"
