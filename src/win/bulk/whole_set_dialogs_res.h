// "設定項目の読み込み" and "全項目の設定": their templates and controls (with the
// shared slave address list, percent edit, progress bar and "Close" of
// resource.h).
#pragma once

#define IDD_READ_ALL 140
#define IDD_SET_ALL 141

#define IDB_RUN 1201  // "読み込み" / "設定", "キャンセル" while the run is active
