// "パスワード", "タイトル位置微調整" and "日付・時刻": small dialogs that edit and
// send a few of the unit's settings, one command per "設定".
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_password_dialog(Program& program);
void open_title_adjustment_dialog(Program& program);
void open_date_time_dialog(Program& program);

}  // namespace orv::win
