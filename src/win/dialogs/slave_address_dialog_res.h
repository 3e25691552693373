// "機器のスレーブアドレス": its template (the controls are the shared slave
// address list and "Close" of resource.h).
#pragma once

#define IDD_SLAVE_ADDRESS 131
