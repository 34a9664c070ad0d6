#include "platform/SoftKeyBar.h"

#ifndef _WIN32_WCE  // desktop stand-in

namespace {

const wchar_t BarClassName[] = L"GlideStripSoftKeyBar";

ATOM RegisterBarClass(HINSTANCE instance) {
  static ATOM atom = 0;
  if (atom == 0) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
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
