// "タイトル": its template and own controls (the slave address list, "設定",
// "全設定", the percent edit and "Close" are the shared ones of resource.h).
#pragma once

#define IDD_TITLE 134

#define IDC_TITLE_CHANNEL_LIST 1401  // "入力チャンネル"
#define IDE_TITLE 1402               // "タイトル"
#define IDB_TITLE_EXPORT 1403        // "Export…": the titles to a CSV file
#define IDB_TITLE_IMPORT 1404        // "Import…": the titles from one
