// The platform table: every operating-system function the program calls, as
// one table of function pointers bound by default to the real functions
// (listed once, in platform/PlatformFunctions.inc). Nothing outside platform/
// calls the platform directly; tests swap single entries to record calls,
// inject failures or script the clock.
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

// One member per line of the list, in its order: ret (WINAPI* Name)(parameters).
struct TPlatformApi {
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  ret(WINAPI* name) params;
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
};

// The one table of the process, bound to the real functions before any code runs.
extern TPlatformApi Api;

// A copy of the table as it was bound at start-up; tests restore entries from it.
extern const TPlatformApi DefaultApi;
