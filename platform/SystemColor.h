// System colours as the device indexes them. Windows CE's colour indexes
// carry the flag 0x40000000 (its COLOR_WINDOW is 5 with that flag) and its
// GetSysColor accepts them; desktop Windows and Wine answer 0 for a flagged
// index. The platform table binds GetSysColor to a stand-in that drops the flag.
#pragma once

#include "platform/Platform.h"

// The device's flag on system-colour indexes.
const int SysColorIndexFlag = 0x40000000;

#ifndef _WIN32_WCE
// Desktop stand-in for GetSysColor: the real function on the index without the device's flag.
DWORD WINAPI StandInGetSysColor(int index);
#endif
