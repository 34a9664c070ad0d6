// Drives the running application loop from a script. Each time the loop
// waits for a message (GetMessageW through the table) the script's next step
// runs first and posts what the loop is to see next, plus a marker so the
// wait always returns; the queue is drained (paints included) before the
// following step. A watchdog thread ends a loop that does not end in time:
// it posts WM_QUIT and, should even that not end it, stops the process with
// the scenario's name, so a hang is a failure and never a stuck test run.
//
//   TLoopScript script("demo", 5000);
//   script.Add([&] { PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, 0); return false; });
//   Run(form);
//   script.Finish();
//   EXPECT_FALSE(script.Hung());
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/ApiPatch.h"

class TLoopScript {
 public:
  // A step returns true to run again at the next wait, false when it is done.
  typedef std::function<bool()> TStep;
  static const UINT Marker = WM_APP + 0x3A5;

  TLoopScript(const std::string& name, DWORD timeoutMs)
      : Name(name), TimeoutMs(timeoutMs), Patch(Api.GetMessageW, &Wait) {
    Active = this;
    Forward = Patch.Original();
    UiThread = GetCurrentThreadId();
    Done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Watchdog = CreateThread(nullptr, 0, &Watch, this, 0, nullptr);
  }
  ~TLoopScript() {
    Finish();
    Active = nullptr;
  }
  TLoopScript(const TLoopScript&) = delete;
  TLoopScript& operator=(const TLoopScript&) = delete;

  void Add(TStep step) { Steps.push_back(std::move(step)); }

  // The loop has returned: stops the watchdog.
  void Finish() {
    if (Watchdog == nullptr) return;
    SetEvent(Done);
    WaitForSingleObject(Watchdog, INFINITE);
    CloseHandle(Watchdog);
    CloseHandle(Done);
    Watchdog = nullptr;
    // A quit the watchdog posted after the loop had ended must not end the next one.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  bool Hung() const { return Expired != 0; }
  bool Completed() const { return Index >= Steps.size(); }
  size_t StepsRun() const { return Index; }
  // Waits after the last step: the loop was waiting for something nobody sends.
  int IdleWaits() const { return Idle; }

 private:
  static BOOL WINAPI Wait(LPMSG msg, HWND wnd, UINT first, UINT last) {
    if (Active != nullptr) Active->Advance();
    return Forward(msg, wnd, first, last);
  }

  void Advance() {
    if (Index >= Steps.size()) {
      ++Idle;
      return;
    }
    if (!Steps[Index]()) ++Index;
    PostMessageW(nullptr, Marker, 0, 0);  // a thread message: the wait returns, nothing is dispatched
  }

  static DWORD WINAPI Watch(LPVOID data) {
    TLoopScript* self = static_cast<TLoopScript*>(data);
    if (WaitForSingleObject(self->Done, self->TimeoutMs) != WAIT_TIMEOUT) return 0;
    InterlockedExchange(&self->Expired, 1);
    PostThreadMessageW(self->UiThread, WM_QUIT, 0, 0);
    if (WaitForSingleObject(self->Done, 10000) != WAIT_TIMEOUT) return 0;
    std::fprintf(stderr, "HANG: the loop of scenario \"%s\" did not end, not even on WM_QUIT\n",
                 self->Name.c_str());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
  }

  std::string Name;
  DWORD TimeoutMs;
  TScopedPatch<decltype(TPlatformApi::GetMessageW)> Patch;
  std::vector<TStep> Steps;
  size_t Index = 0;
  int Idle = 0;
  DWORD UiThread = 0;
  HANDLE Done = nullptr;
  HANDLE Watchdog = nullptr;
  volatile LONG Expired = 0;

  static inline TLoopScript* Active = nullptr;
  static inline BOOL(WINAPI* Forward)(LPMSG, HWND, UINT, UINT) = nullptr;
};
