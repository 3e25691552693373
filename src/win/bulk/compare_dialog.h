// "ファイルと比較…" and "機器と比較…" of the File menu: every setting the
// settings in hand hold differently from a chosen settings file, or from
// what the unit gives back to a read all, one row each (the password
// masked), copied as text on request. The settings in hand never change.
#pragma once

#include "win/base/program.h"

namespace orv::win {

void open_compare_with_file(Program& program);
void open_compare_with_unit(Program& program);

}  // namespace orv::win
