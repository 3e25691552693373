// "外字挿入": its template and own controls (the slave address list, "設定"
// and "Close" are the shared ones of resource.h).
#pragma once

#define IDD_GLYPH_INSERTION 136

#define IDC_INSERT_CHANNEL_LIST 1601       // "入力チャンネル"
#define IDC_INSERT_FONT_SIZE_LIST 1602     // "フォントサイズ"
#define IDC_INSERT_REGISTRATION_LIST 1603  // "外字登録番号"
#define IDC_INSERT_POSITION_LIST 1604      // "挿入位置"
