// Top-level windows as the device makes them. On Windows CE a top-level
// window has a caption only when its style asks for one; desktop Windows and
// Wine give every overlapped window (neither WS_POPUP nor WS_CHILD) a
// caption and a frame. The platform table binds CreateWindowExW to a
// stand-in that makes such windows popups, so forms keep their full area.
#pragma once

#include "platform/Platform.h"

#ifndef _WIN32_WCE
// The style the desktop needs for a window the device would make with style.
DWORD DeviceTopLevelStyle(DWORD style);

// Desktop stand-in for CreateWindowExW: the real function with DeviceTopLevelStyle applied.
HWND WINAPI StandInCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName,
                                   DWORD style, int x, int y, int width, int height, HWND parent,
                                   HMENU menu, HINSTANCE instance, LPVOID param);
#endif
