// "ファイルと比較…" and "機器と比較…": their template and controls (with
// the run's button, percentage, bar, reply-paced box and "Close" of
// resource.h and whole_set_dialogs_res.h).
#pragma once

#define IDD_COMPARE 143

#define IDS_COMPARE_SUMMARY 1221  // how many differences, or what is being read
#define IDC_COMPARE_LIST 1222  // one row a difference: 項目, チャンネル・パターン, two values
#define IDB_COMPARE_COPY 1223          // "コピー": the list as text on the clipboard
#define IDS_COMPARE_PERCENT_SIGN 1224  // the "%" beside the percentage
