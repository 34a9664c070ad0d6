#include "platform/TopLevelWindow.h"

#ifndef _WIN32_WCE  // desktop stand-in

DWORD DeviceTopLevelStyle(DWORD style) {
  // A window that asks for a caption (a form given explicit bounds) keeps the
  // desktop's overlapped frame; any other top-level window is a plain popup.
  if ((style & (WS_CHILD | WS_POPUP)) == 0 && (style & WS_CAPTION) != WS_CAPTION) return style | WS_POPUP;
  return style;
}

HWND WINAPI StandInCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName,
                                   DWORD style, int x, int y, int width, int height, HWND parent,
                                   HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExW(exStyle, className, windowName, DeviceTopLevelStyle(style), x, y, width,
                         height, parent, menu, instance, param);
}

#endif  // desktop stand-in
