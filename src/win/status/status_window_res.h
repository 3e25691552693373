// "入出力の状態": a dialog without controls; everything in it is painted.
#pragma once

#define IDD_STATUS 170
