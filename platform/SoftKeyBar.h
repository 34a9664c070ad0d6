// The soft-key menu bar of top-level windows. On the device this is the
// shell's SHCreateMenuBar; desktop Windows and Wine lack it, so the platform
// table binds a stand-in that makes an empty bar of the same place and size.
#pragma once

#include "platform/Platform.h"

#ifndef _WIN32_WCE
// Height of the stand-in bar in pixels, as the device's shell draws it.
const int SoftKeyBarHeight = 26;

// Desktop stand-in for SHCreateMenuBar: an empty popup bar owned by
// info->hwndParent across the bottom of the screen, which it follows when
// the screen changes; hwndMB receives it.
BOOL WINAPI StandInCreateMenuBar(SHMENUBARINFO* info);
#endif
