// A changing screen: which messages tell a top-level window that the screen
// or its work area may have changed, and where the work area comes from.
// The device answers SPI_GETWORKAREA itself. Wine answers it from a copy
// kept per process since the first query, stale after a display change, so
// on the desktop the platform table binds a stand-in that answers with the
// primary monitor's work area, which follows the display there and on
// Windows alike.
//
//   if (IsScreenChange(message.Msg, message.WParam)) FollowScreen(form);
#pragma once

#include "platform/Platform.h"

// WM_DISPLAYCHANGE, or WM_SETTINGCHANGE for a reset of the display (the
// device turned), a new work area or a moved input panel. lParam plays no
// part: it is no text on the device.
bool IsScreenChange(UINT message, WPARAM wparam);

#ifndef _WIN32_WCE
// Desktop stand-in for SystemParametersInfoW: SPI_GETWORKAREA from the
// primary monitor, every other request passed on unchanged.
BOOL WINAPI StandInSystemParametersInfoW(UINT action, UINT param, PVOID data, UINT flags);
#endif
