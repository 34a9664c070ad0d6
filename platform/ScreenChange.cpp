#include "platform/ScreenChange.h"

bool IsScreenChange(UINT message, WPARAM wparam) {
  if (message == WM_DISPLAYCHANGE) return true;
  return message == WM_SETTINGCHANGE &&
         (wparam == SETTINGCHANGE_RESET || wparam == SPI_SETWORKAREA || wparam == SPI_SETSIPINFO);
}

#ifndef _WIN32_WCE  // desktop stand-in

BOOL WINAPI StandInSystemParametersInfoW(UINT action, UINT param, PVOID data, UINT flags) {
  if (action != SPI_GETWORKAREA || data == nullptr)
    return SystemParametersInfoW(action, param, data, flags);
  // The primary monitor holds the screen's origin.
  HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (primary == nullptr || !GetMonitorInfoW(primary, &info)) return FALSE;
  *static_cast<RECT*>(data) = info.rcWork;
  return TRUE;
}

#endif  // desktop stand-in
