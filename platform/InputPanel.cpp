#include "platform/InputPanel.h"

#ifndef _WIN32_WCE  // desktop stand-in

// No input panel to size a window for, or to restore on activation.
BOOL WINAPI StandInHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) { return TRUE; }

BOOL WINAPI StandInHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO*, DWORD) { return TRUE; }

#endif  // desktop stand-in
