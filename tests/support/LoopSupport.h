// Helpers for tests of the application loop: a plain probe window that logs
// the messages dispatched to it, a watchdog that ends a loop that would
// otherwise hang; the loop's process-wide state is put back by
// ResetFrameworkState (FrameworkReset.h).
//
//   TProbeWindow probe;
//   PostMessageW(probe.Handle, WM_APP, 0, 0);
//   TLoopWatchdog watchdog(5000);   // posts WM_QUIT if the loop is still running
//   Run(form);
//   EXPECT_FALSE(watchdog.Fired());
#pragma once

#include <windows.h>

#include <vector>

#include "controls/Control.h"
#include "support/TestWindows.h"
#include "tests/support/FrameworkReset.h"

// A window of its own class (not a framework window): its procedure logs every
// message it receives and answers with DefWindowProcW.
class TProbeWindow {
 public:
  TProbeWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &TProbeWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LoopProbe";
    RegisterClassW(&wc);  // fails harmlessly when already registered
    Handle = CreateWindowExW(0, L"LoopProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetPropW(Handle, L"LoopProbeLog", reinterpret_cast<HANDLE>(&Log));
  }
  ~TProbeWindow() {
    RemovePropW(Handle, L"LoopProbeLog");
    DestroyWindow(Handle);
  }
  TProbeWindow(const TProbeWindow&) = delete;
  TProbeWindow& operator=(const TProbeWindow&) = delete;

  // Messages of the application range and below WM_USER that tests post; the
  // window's own creation and destruction traffic is left out.
  std::vector<UINT> Posted() const {
    std::vector<UINT> out;
    for (UINT m : Log)
      if (m == WM_NULL || m == WM_QUIT || m == WM_TIMER || m >= WM_APP) out.push_back(m);
    return out;
  }

  HWND Handle = nullptr;
  std::vector<UINT> Log;

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* log = static_cast<std::vector<UINT>*>(GetPropW(wnd, L"LoopProbeLog"));
    if (log != nullptr) log->push_back(msg);
    return DefWindowProcW(wnd, msg, wparam, lparam);
  }
};

// Posts WM_QUIT to this thread after the given time, so that a loop that does
// not end by itself ends anyway and the test can report it.
class TLoopWatchdog {
 public:
  explicit TLoopWatchdog(UINT ms) {
    Expired = false;
    Id = SetTimer(nullptr, 0, ms, &TLoopWatchdog::Tick);
  }
  ~TLoopWatchdog() { KillTimer(nullptr, Id); }
  TLoopWatchdog(const TLoopWatchdog&) = delete;
  TLoopWatchdog& operator=(const TLoopWatchdog&) = delete;
  bool Fired() const { return Expired; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    Expired = true;
    PostQuitMessage(0);
  }
  static inline bool Expired = false;
  UINT_PTR Id = 0;
};
