// "外字登録": its template and own controls (the slave address list and
// "Close" are the shared ones of resource.h).
#pragma once

#define IDD_GLYPH_EDITOR 135

#define IDB_GLYPH_NEW 1501          // "新規作成"
#define IDB_GLYPH_OPEN 1502         // "ファイルを開く"
#define IDB_GLYPH_SAVE 1503         // "上書き保存"
#define IDB_GLYPH_SAVE_AS 1504      // "名前をつけて保存"
#define IDC_REGISTRATION_LIST 1505  // "登録番号"
#define IDB_REGISTER 1506           // "登録"
#define IDB_READ_REGISTERED 1507    // "リード" under the registration number
#define IDE_SAMPLE 1508             // the sample character
#define IDB_READ_SAMPLE 1509        // "リード" beside it
