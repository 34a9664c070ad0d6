#include "platform/SoftKeyBar.h"

#include "platform/ScreenChange.h"

#ifndef _WIN32_WCE  // desktop stand-in

namespace {

const wchar_t BarClassName[] = L"GlideStripSoftKeyBar";

// Along the bottom of the screen at its full width, as the shell keeps its bar.
void PlaceBar(HWND bar) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int top = GetSystemMetrics(SM_CYSCREEN) - SoftKeyBarHeight;
  RECT now = {};
  if (GetWindowRect(bar, &now) && now.left == 0 && now.top == top && now.right == width &&
      now.bottom == top + SoftKeyBarHeight)
    return;
  SetWindowPos(bar, nullptr, 0, top, width, SoftKeyBarHeight,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The bar follows the screen by itself, as the device's does: a turned
// display or a new work area finds it along the new bottom edge.
LRESULT CALLBACK BarWindowProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam) {
  if (IsScreenChange(message, wparam)) PlaceBar(bar);
  return DefWindowProcW(bar, message, wparam, lparam);
}

ATOM RegisterBarClass(HINSTANCE instance) {
  static ATOM atom = 0;
  if (atom == 0) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BarWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);  // button face, as the shell's bar
    wc.lpszClassName = BarClassName;
    atom = RegisterClassW(&wc);
  }
  return atom;
}

}  // namespace

BOOL WINAPI StandInCreateMenuBar(SHMENUBARINFO* info) {
  if (info == nullptr || info->cbSize != sizeof(SHMENUBARINFO) || info->hwndParent == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (RegisterBarClass(instance) == 0) return FALSE;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int top = GetSystemMetrics(SM_CYSCREEN) - SoftKeyBarHeight;
  // An owned popup goes away with its owner, as the shell's bar does.
  HWND bar = CreateWindowExW(0, BarClassName, L"", WS_POPUP | WS_DISABLED, 0, top, width,
                             SoftKeyBarHeight, info->hwndParent, nullptr, instance, nullptr);
  if (bar == nullptr) return FALSE;
  ShowWindow(bar, SW_SHOWNOACTIVATE);
  info->hwndMB = bar;
  return TRUE;
}

#endif  // desktop stand-in
