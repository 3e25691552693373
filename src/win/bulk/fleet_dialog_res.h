// "バックアップ" and "リストア": their template and controls (with "Close" of
// resource.h).
#pragma once

#define IDD_FLEET 142

#define IDE_FLEET_FOLDER 1211  // the folder of the settings files
#define IDB_FLEET_BROWSE 1212  // "参照…"
#define IDC_FLEET_LIST 1213    // one row a unit: 機器, 状態, %
#define IDB_FLEET_RUN 1214     // "開始", "キャンセル" while the run is active
