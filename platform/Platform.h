// The platform table: every operating-system function the program calls, as
// one table of function pointers bound by default to the real functions.
// Nothing outside platform/ calls the platform directly; tests swap single
// entries to record calls, inject failures or script the clock.
//
//   HWND wnd = Api.CreateWindowExW(0, L"Form", L"", style, x, y, w, h,
//                                  parent, 0, Api.GetModuleHandleW(nullptr), nullptr);
#pragma once

#include <windows.h>

// aygshell: the soft-key menu bar of Windows CE. The SDK's header where the
// build has it; otherwise (mingw-w64, the desktop) the project's declarations.
#if defined(_WIN32_WCE) && __has_include(<aygshell.h>)
#include <aygshell.h>
#else
#include "platform/AygShell.h"
#endif

// Windows CE's platform-type query; desktop headers do not define it.
#ifndef SPI_GETPLATFORMTYPE
#define SPI_GETPLATFORMTYPE 257
#endif

// The wheel's setting and units, for SDKs whose headers lack them; a device
// without the setting fails the query.
#ifndef SPI_GETWHEELSCROLLLINES
#define SPI_GETWHEELSCROLLLINES 104
#endif
#ifndef WHEEL_DELTA
#define WHEEL_DELTA 120
#endif
#ifndef WHEEL_PAGESCROLL
#define WHEEL_PAGESCROLL UINT_MAX
#endif

// The screen's announcements on the device: the input panel moved, the
// display was turned or reset; SPI_SETWORKAREA for SDKs that lack it.
#ifndef SPI_SETSIPINFO
#define SPI_SETSIPINFO 224
#endif
#ifndef SETTINGCHANGE_RESET
#define SETTINGCHANGE_RESET 0x3002
#endif
#ifndef SPI_SETWORKAREA
#define SPI_SETWORKAREA 0x002F
#endif

// GWL_WNDPROC is spelt GWLP_WNDPROC on 64-bit targets.
#ifndef GWLP_WNDPROC
#define GWLP_WNDPROC GWL_WNDPROC
#endif

struct TPlatformApi {
  // windows and messages
  ATOM(WINAPI* RegisterClassW)(const WNDCLASSW*);
  BOOL(WINAPI* GetClassInfoW)(HINSTANCE, LPCWSTR, LPWNDCLASSW);
  HWND(WINAPI* CreateWindowExW)(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU,
                                HINSTANCE, LPVOID);
  BOOL(WINAPI* DestroyWindow)(HWND);
  BOOL(WINAPI* IsWindow)(HWND);
  LRESULT(WINAPI* DefWindowProcW)(HWND, UINT, WPARAM, LPARAM);
  LRESULT(WINAPI* CallWindowProcW)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
  LONG_PTR(WINAPI* SetWindowLongPtrW)(HWND, int, LONG_PTR);  // SetWindowLongW on 32-bit
  BOOL(WINAPI* SetPropW)(HWND, LPCWSTR, HANDLE);
  HANDLE(WINAPI* GetPropW)(HWND, LPCWSTR);
  HANDLE(WINAPI* RemovePropW)(HWND, LPCWSTR);
  BOOL(WINAPI* GetMessageW)(LPMSG, HWND, UINT, UINT);
  BOOL(WINAPI* PeekMessageW)(LPMSG, HWND, UINT, UINT, UINT);
  BOOL(WINAPI* TranslateMessage)(const MSG*);
  LRESULT(WINAPI* DispatchMessageW)(const MSG*);
  BOOL(WINAPI* PostMessageW)(HWND, UINT, WPARAM, LPARAM);
  LRESULT(WINAPI* SendMessageW)(HWND, UINT, WPARAM, LPARAM);
  void(WINAPI* PostQuitMessage)(int);
  BOOL(WINAPI* ShowWindow)(HWND, int);
  BOOL(WINAPI* SetWindowPos)(HWND, HWND, int, int, int, int, UINT);
  BOOL(WINAPI* GetWindowRect)(HWND, LPRECT);
  BOOL(WINAPI* GetClientRect)(HWND, LPRECT);
  BOOL(WINAPI* ClientToScreen)(HWND, LPPOINT);
  HWND(WINAPI* SetParent)(HWND, HWND);
  BOOL(WINAPI* IsWindowEnabled)(HWND);
  BOOL(WINAPI* InvalidateRect)(HWND, const RECT*, BOOL);
  BOOL(WINAPI* ValidateRect)(HWND, const RECT*);

  // focus, capture and input
  HWND(WINAPI* SetFocus)(HWND);
  HWND(WINAPI* GetFocus)();
  BOOL(WINAPI* SetForegroundWindow)(HWND);
  SHORT(WINAPI* GetKeyState)(int);
  HWND(WINAPI* SetCapture)(HWND);
  BOOL(WINAPI* ReleaseCapture)();
  HWND(WINAPI* GetCapture)();

  // painting and GDI
  HDC(WINAPI* BeginPaint)(HWND, LPPAINTSTRUCT);
  BOOL(WINAPI* EndPaint)(HWND, const PAINTSTRUCT*);
  int(WINAPI* GetUpdateRgn)(HWND, HRGN, BOOL);
  HRGN(WINAPI* CreateRectRgn)(int, int, int, int);
  HDC(WINAPI* GetDC)(HWND);
  int(WINAPI* ReleaseDC)(HWND, HDC);
  HDC(WINAPI* CreateCompatibleDC)(HDC);
  BOOL(WINAPI* DeleteDC)(HDC);
  HBITMAP(WINAPI* CreateCompatibleBitmap)(HDC, int, int);
  HGDIOBJ(WINAPI* SelectObject)(HDC, HGDIOBJ);
  BOOL(WINAPI* DeleteObject)(HGDIOBJ);
  HGDIOBJ(WINAPI* GetStockObject)(int);
  HBRUSH(WINAPI* CreateSolidBrush)(COLORREF);
  HFONT(WINAPI* CreateFontIndirectW)(const LOGFONTW*);
  HPEN(WINAPI* CreatePenIndirect)(const LOGPEN*);
  DWORD(WINAPI* GetSysColor)(int);
  COLORREF(WINAPI* SetBkColor)(HDC, COLORREF);
  int(WINAPI* SetBkMode)(HDC, int);
  COLORREF(WINAPI* SetTextColor)(HDC, COLORREF);
  int(WINAPI* SetROP2)(HDC, int);
  BOOL(WINAPI* SetBrushOrgEx)(HDC, int, int, LPPOINT);
  BOOL(WINAPI* MoveToEx)(HDC, int, int, LPPOINT);
  BOOL(WINAPI* LineTo)(HDC, int, int);
  BOOL(WINAPI* Rectangle)(HDC, int, int, int, int);
  int(WINAPI* DrawTextW)(HDC, LPCWSTR, int, LPRECT, UINT);
  int(WINAPI* FillRect)(HDC, const RECT*, HBRUSH);
  int(WINAPI* GetClipBox)(HDC, LPRECT);
  BOOL(WINAPI* BitBlt)(HDC, int, int, int, int, HDC, int, int, DWORD);
  BOOL(WINAPI* SetRect)(LPRECT, int, int, int, int);
  BOOL(WINAPI* OffsetRect)(LPRECT, int, int);
  BOOL(WINAPI* InflateRect)(LPRECT, int, int);

  // timers and time
  UINT_PTR(WINAPI* SetTimer)(HWND, UINT_PTR, UINT, TIMERPROC);
  BOOL(WINAPI* KillTimer)(HWND, UINT_PTR);
  DWORD(WINAPI* GetTickCount)();

  // system information and message boxes
  BOOL(WINAPI* SystemParametersInfoW)(UINT, UINT, PVOID, UINT);
  DWORD(WINAPI* GetLastError)();
  int(WINAPI* GetSystemMetrics)(int);
  int(WINAPI* MessageBoxW)(HWND, LPCWSTR, LPCWSTR, UINT);

  // text conversion
  int(WINAPI* MultiByteToWideChar)(UINT, DWORD, LPCCH, int, LPWSTR, int);

  // the module instance handle for class registration and window creation
  HMODULE(WINAPI* GetModuleHandleW)(LPCWSTR);

  // aygshell: the soft-key menu bar, and the shell's part in a top-level
  // window's activation and input-panel changes
  BOOL(WINAPI* SHCreateMenuBar)(SHMENUBARINFO*);
  BOOL(WINAPI* SHHandleWMSettingChange)(HWND, WPARAM, LPARAM, SHACTIVATEINFO*);
  BOOL(WINAPI* SHHandleWMActivate)(HWND, WPARAM, LPARAM, SHACTIVATEINFO*, DWORD);
};

// The one table of the process, bound to the real functions before any code runs.
extern TPlatformApi Api;

// A copy of the table as it was bound at start-up; tests restore entries from it.
extern const TPlatformApi DefaultApi;
