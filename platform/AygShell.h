// The types the platform table needs from the device's shell library
// (aygshell), for builds without the SDK's <aygshell.h>: the mingw-w64
// headers have none, for the desktop or for the device. The functions
// themselves are declared from the table's list (platform/Platform.cpp).
// The structures keep the SDK's member order, as the shell reads them by offset.
#pragma once

#include <windows.h>

typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// An empty bar: no menu or tool-bar resource to load.
#define SHCMBF_EMPTYBAR 0x0001

// The shell's cbSize check compares with its own 32-bit layout: nine 4-byte members.
static_assert(sizeof(void*) != 4 || sizeof(SHMENUBARINFO) == 36,
              "SHMENUBARINFO must match the device shell's 36-byte layout");

// The shell's record of one top-level window's activation and input-panel
// state, kept across its calls: zero-filled, cbSize set, before the first.
typedef struct {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

static_assert(sizeof(void*) != 4 || sizeof(SHACTIVATEINFO) == 12,
              "SHACTIVATEINFO must match the device shell's 12-byte layout");
