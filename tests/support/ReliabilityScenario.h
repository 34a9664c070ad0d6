// The whole demo as one scripted scenario, in-process and under handle
// accounting: NewDemoForm, then Run, whose loop is driven by posted input -
// a slow drag, a flick, the glides to rest on WM_TIMER ticks, a tap, a double
// tap 150 ms later on a scripted clock, then a BM_CLICK on "Kapat" (or, where
// no "Kapat" window exists, the platform's WM_CLOSE to the form). The outcome
// says how the program ended and what was left alive.
//
//   TDeviceScreen screen;
//   TScenarioOutcome outcome = RunDemoScenario("baseline");
//   EXPECT_TRUE(outcome.EndedThroughKapat());
//   EXPECT_EQ(outcome.Survivors, "");
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "support/ApiPatch.h"
#include "support/ReliabilityDemo.h"
#include "support/ReliabilityFaults.h"
#include "support/ReliabilityLoop.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/Timer.h"
#include "listbox/GlideStripbox.h"
#include "tests/support/HandleAccounting.h"

struct TScenarioOutcome {
  bool Hung = false;
  bool LoopEntered = false;       // the loop waited at least once
  size_t Steps = 0;               // script steps run
  bool Completed = false;         // every step ran
  HWND FormWindow = nullptr;      // the form's window when the form was freed
  bool KapatExisted = false;      // "Kapat" had a window when it was to be pressed
  bool CloseReachedForm = false;  // the program posted WM_CLOSE to its form
  int QuitRequests = 0;           // PostQuitMessage calls
  int Boxes = 0;
  std::wstring BoxText;
  std::wstring BoxCaption;
  long OffsetAfterDrag = -1;
  long OffsetAfterFlick = -1;
  bool FirstGlideRested = false;  // speeds 0 and the timer stopped after the drag
  bool SecondGlideRested = false;
  int Ticks = 0;                  // WM_TIMER ticks posted
  long ExpectedRow = -2;
  long SelectedAfterTap = -2;
  COLORREF RowPixel = CLR_INVALID;  // back buffer, inside the tapped row
  std::string Invariants;         // "" while the list box invariants held at every step
  std::string Survivors;          // "" when only what the list box holds was alive after Run
  std::string LeftAlive;          // "" when nothing was alive once the list box was freed too
  THandleCounts AfterRun = {};
  std::string KapatTrace;         // messages the default procedures saw after "Kapat"
  int FaultUses = 0;              // uses of the faulty entry
  int FaultsInjected = 0;

  bool EndedThroughKapat() const { return KapatExisted && CloseReachedForm && QuitRequests >= 1; }
};

namespace ReliabilityScenario {

inline TScenarioOutcome* Current = nullptr;
inline HWND FormWnd = nullptr;

inline BOOL WINAPI NotePost(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (Current != nullptr && msg == WM_CLOSE && wnd != nullptr && wnd == FormWnd)
    Current->CloseReachedForm = true;
  return DefaultApi.PostMessageW(wnd, msg, wparam, lparam);
}

inline void WINAPI NoteQuit(int code) {
  if (Current != nullptr) ++Current->QuitRequests;
  DefaultApi.PostQuitMessage(code);
}

inline bool Tracing = false;

inline void Trace(HWND wnd, UINT msg) {
  if (!Tracing || Current == nullptr || Current->KapatTrace.size() > 2000) return;
  char text[40];
  std::snprintf(text, sizeof(text), "%s%04X", wnd == FormWnd ? "form:" : "", msg);
  if (!Current->KapatTrace.empty()) Current->KapatTrace += ' ';
  Current->KapatTrace += text;
}

inline LRESULT WINAPI TraceCall(WNDPROC proc, HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Trace(wnd, msg);
  return DefaultApi.CallWindowProcW(proc, wnd, msg, wparam, lparam);
}

inline LRESULT WINAPI TraceDefault(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Trace(wnd, msg);
  return DefaultApi.DefWindowProcW(wnd, msg, wparam, lparam);
}

inline void NoteFormEnd(void* data, TBaseObject* sender) {
  static_cast<TScenarioOutcome*>(data)->FormWindow = static_cast<TControl*>(sender)->Handle;
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

}  // namespace ReliabilityScenario

// Installs a fault once the scenario's own entries are in place, so that it
// wraps them (MessageBoxW fails in front of the recorder).
typedef std::function<std::unique_ptr<TInjectedFault>()> TArmFault;

// The scenario with its own accounting, clock, message-box recorder and loop
// script, and with the fault that arm installs, if any.
inline TScenarioOutcome RunDemoScenario(const std::string& name, const TArmFault& arm = nullptr) {
  namespace S = ReliabilityScenario;
  TScenarioOutcome outcome;
  S::Current = &outcome;
  S::FormWnd = nullptr;

  TMessageBoxRecorder boxes;
  TScriptedClock clock(1000000);
  TScopedPatch<decltype(TPlatformApi::PostMessageW)> posts(Api.PostMessageW, &S::NotePost);
  TScopedPatch<decltype(TPlatformApi::PostQuitMessage)> quits(Api.PostQuitMessage, &S::NoteQuit);
  TScopedPatch<decltype(TPlatformApi::CallWindowProcW)> calls(Api.CallWindowProcW, &S::TraceCall);
  TScopedPatch<decltype(TPlatformApi::DefWindowProcW)> defaults(Api.DefWindowProcW, &S::TraceDefault);
  S::Tracing = false;
  std::unique_ptr<TInjectedFault> fault = arm ? arm() : nullptr;
  // Accounting wraps the fault: what failed was never made, so it is not counted.
  StartHandleAccounting();

  NewDemoForm(DemoForm, nullptr);
  TControl* form = DemoForm->Form;
  TControl* button = DemoForm->Button;
  TGlideStripbox* list = DemoForm->ListBox;
  form->OnDestroy = {&S::NoteFormEnd, &outcome};

  auto invariants = [&] {
    if (outcome.Invariants.empty()) outcome.Invariants = ListInvariantFault(list);
  };
  auto post = [](HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    PostMessageW(wnd, msg, wparam, lparam);  // the harness's own posts are not the program's
  };
  auto stylus = [&](UINT msg, int x, int y) {
    if (list->Panel != nullptr && list->Panel->Handle != nullptr)
      post(list->Panel->Handle, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, S::Point(x, y));
  };
  // Ticks as the platform would deliver them, ten per step so that the
  // drain paints once per ten; none once the platform has no timer for us.
  auto glide = [&](bool& rested, int& rounds) {
    invariants();
    TTimer* timer = list->Timer;
    bool moving = list->Speed.x != 0 || list->Speed.y != 0;
    if (timer->Enabled && timer->TimerId != 0 && TimerWindow != nullptr &&
        TimerWindow->Handle != nullptr && moving && ++rounds <= 100) {
      for (int i = 0; i < 10; ++i, ++outcome.Ticks)
        post(TimerWindow->Handle, WM_TIMER, timer->TimerId, reinterpret_cast<LPARAM>(&TimerProc));
      return true;
    }
    rested = !moving && !timer->Enabled;
    return false;
  };
  int firstRounds = 0;
  int secondRounds = 0;

  TLoopScript script(name, 8000);
  script.Add([&] {  // the first wait: the form is up and its first paint is queued
    outcome.LoopEntered = true;
    S::FormWnd = form->Handle;
    return false;
  });
  script.Add([&] {  // a slow drag upwards that ends at speed 1
    stylus(WM_LBUTTONDOWN, 120, 200);
    for (int y = 190; y >= 100; y -= 10) stylus(WM_MOUSEMOVE, 120, y);
    stylus(WM_MOUSEMOVE, 120, 98);
    stylus(WM_LBUTTONUP, 120, 98);
    return false;
  });
  script.Add([&] { return glide(outcome.FirstGlideRested, firstRounds); });
  script.Add([&] {  // a flick: three quick steps of 30 pixels
    outcome.OffsetAfterDrag = list->Offset.y;
    stylus(WM_LBUTTONDOWN, 120, 250);
    for (int y = 220; y >= 160; y -= 30) stylus(WM_MOUSEMOVE, 120, y);
    stylus(WM_LBUTTONUP, 120, 160);
    return false;
  });
  script.Add([&] { return glide(outcome.SecondGlideRested, secondRounds); });
  script.Add([&] {  // a tap, long after the last stylus-down
    outcome.OffsetAfterFlick = list->Offset.y;
    outcome.ExpectedRow = (125 + list->Offset.y) / 50;
    clock.Advance(1000);
    stylus(WM_LBUTTONDOWN, 120, 125);
    stylus(WM_LBUTTONUP, 120, 125);
    return false;
  });
  script.Add([&] {  // the tap has been painted; the second tap comes 150 ms after the first
    invariants();
    outcome.SelectedAfterTap = list->Selected.y;
    if (list->BackBuffer != nullptr && list->BackBuffer->Canvas != nullptr &&
        list->BackBuffer->Canvas->DC != nullptr)
      // Halfway down the tapped row, clear of its separator lines.
      outcome.RowPixel = GetPixel(list->BackBuffer->Canvas->DC, list->ItemWidth - 6,
                                  outcome.ExpectedRow * 50 - list->Offset.y + 25);
    clock.Advance(150);
    stylus(WM_LBUTTONDOWN, 120, 125);
    stylus(WM_LBUTTONUP, 120, 125);
    return false;
  });
  script.Add([&] {  // "Kapat", or the platform's close where there is no "Kapat" window
    HWND kapat = button->Handle;
    if (kapat != nullptr && IsWindow(kapat)) {
      outcome.KapatExisted = true;
      S::Tracing = true;
      post(kapat, BM_CLICK, 0, 0);
    } else if (form->Handle != nullptr) {
      post(form->Handle, WM_CLOSE, 0, 0);
    }
    return false;
  });

  Run(DemoForm->Form);
  DemoForm = nullptr;  // the form owned the holder, and Run has freed the form
  S::Tracing = false;
  script.Finish();
  outcome.Hung = script.Hung();
  outcome.Steps = script.StepsRun();
  outcome.Completed = script.Completed();
  outcome.Boxes = TMessageBoxRecorder::Count;
  outcome.BoxText = TMessageBoxRecorder::Text;
  outcome.BoxCaption = TMessageBoxRecorder::Caption;

  outcome.AfterRun = CurrentHandleCounts();
  outcome.Survivors = SurvivorFault(list);
  list->Destroy();  // the program never does; here it shows that the survivors were all it held
  outcome.LeftAlive = LeftAliveFault();
  StopHandleAccounting();
  if (fault != nullptr) {
    outcome.FaultUses = fault->Uses();
    outcome.FaultsInjected = fault->Injected();
    fault.reset();
  }
  S::Current = nullptr;
  ResetFrameworkState(crUnregisterClasses);
  return outcome;
}
