// The shell's part in a top-level window's activation and input-panel
// changes: on the device, aygshell's SHHandleWMActivate (on WM_ACTIVATE)
// and SHHandleWMSettingChange (on WM_SETTINGCHANGE), which share one
// SHACTIVATEINFO per window. The desktop has no input panel: the platform
// table binds stand-ins that have nothing to do.
#pragma once

#include "platform/Platform.h"

#ifndef _WIN32_WCE
BOOL WINAPI StandInHandleWMSettingChange(HWND window, WPARAM wparam, LPARAM lparam,
                                         SHACTIVATEINFO* info);
BOOL WINAPI StandInHandleWMActivate(HWND window, WPARAM wparam, LPARAM lparam,
                                    SHACTIVATEINFO* info, DWORD flags);
#endif
