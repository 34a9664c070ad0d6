// Helpers for tests that use real windows: pumping the thread's queue and
// cleaning up the framework's process-wide state between tests. Test tools
// may call the platform directly.
#pragma once

#include <windows.h>

// Dispatches every queued message of this thread; returns how many.
inline int PumpMessages() {
  MSG msg;
  int n = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;  // a quit posted by a test is dropped here
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++n;
  }
  return n;
}

// Pumps until done() is true or timeoutMs passes; returns done().
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs = 2000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return done();
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
  return true;
}

// Answers every message box of this thread with OK; posted, so a box's own
// loop takes it.
inline BOOL CALLBACK PressMessageBoxOk(HWND window, LPARAM) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  if (lstrcmpW(name, L"#32770") == 0) PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}
inline void AnswerMessageBoxes() { EnumThreadWindows(GetCurrentThreadId(), PressMessageBoxOk, 0); }
