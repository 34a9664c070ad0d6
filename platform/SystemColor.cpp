#include "platform/SystemColor.h"

#ifndef _WIN32_WCE  // desktop stand-in

DWORD WINAPI StandInGetSysColor(int index) { return GetSysColor(index & ~SysColorIndexFlag); }

#endif  // desktop stand-in
