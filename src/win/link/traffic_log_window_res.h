// "通信ログ": the traffic log window.
#pragma once

#define IDD_TRAFFIC_LOG 180
#define IDC_TRAFFIC_LIST 1940
#define IDB_TRAFFIC_SAVE 1941
#define IDB_TRAFFIC_CLEAR 1942
