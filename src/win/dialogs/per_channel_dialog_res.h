// The per-channel dialog family's template and controls (with the shared
// ones of resource.h: the slave address list, "設定", "全設定", "Close").
#pragma once

#define IDD_PER_CHANNEL 130

#define IDC_CHANNEL_GROUP 1101
#define IDC_CHANNEL_LIST 1102
#define IDC_VALUE_GROUP 1103
#define IDC_VALUE_LIST 1104
#define IDC_SAME_VALUE_GROUP 1105
#define IDC_SAME_VALUE_LIST 1106
