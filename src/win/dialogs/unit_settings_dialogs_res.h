// "パスワード", "タイトル位置微調整" and "日付・時刻": their templates and
// controls (with the shared slave address list and "Close" of resource.h).
#pragma once

#define IDD_PASSWORD 137
#define IDD_TITLE_ADJUSTMENT 138
#define IDD_DATE_TIME 139

#define IDE_PASSWORD 1901
#define IDB_SET_PASSWORD 1902
#define IDC_PASSWORD_ON_BUTTON 1903
#define IDB_SET_PASSWORD_ON_BUTTON 1904
#define IDC_PASSWORD_ON_MENU 1905
#define IDB_SET_PASSWORD_ON_MENU 1906

#define IDC_OFFSET_TOP 1911
#define IDB_SET_OFFSET_TOP 1912
#define IDC_OFFSET_BOTTOM 1913
#define IDB_SET_OFFSET_BOTTOM 1914

// Each clock field: its list, then its "設定" (list + 1).
#define IDC_YEAR_LIST 1921
#define IDB_SET_YEAR 1922
#define IDC_MONTH_LIST 1923
#define IDB_SET_MONTH 1924
#define IDC_DAY_LIST 1925
#define IDB_SET_DAY 1926
#define IDC_HOUR_LIST 1927
#define IDB_SET_HOUR 1928
#define IDC_MINUTE_LIST 1929
#define IDB_SET_MINUTE 1930
#define IDC_SECOND_LIST 1931
#define IDB_SET_SECOND 1932
#define IDC_RANGE_LIST 1933
#define IDB_SET_RANGE 1934
#define IDC_SIZE_LIST 1935
#define IDB_SET_SIZE 1936
#define IDB_THIRTY_SECONDS 1937
#define IDB_SEND_PC_TIME 1938
