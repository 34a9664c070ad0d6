// Soak: the demo through 10,000 cycles (2,000 in the test command's
// shortened run) of drag, flick, glide to rest, tap and double tap on a
// scripted clock, with a resize of the form every tenth cycle, every fifth
// of them in the middle of a glide. The invariants hold after every cycle,
// the handle counts of the last cycle are those of the first, and the
// process's private bytes stay within 1 % from after the warm-up (the first
// tenth of the cycles) to the end.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <string>

#include "support/ApiPatch.h"
#include "support/ReliabilityDemo.h"
#include "support/TestWindows.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "graphics/Bitmap.h"
#include "listbox/GlideStripbox.h"
#include "tests/support/HandleAccounting.h"

namespace {

const int Cycles = RunSize(2000, 10000);
const int ResizeEvery = 10;           // resizes in cycles 1, 11, 21 ...
const int ResizeInGlideEvery = 50;    // in cycles 1, 51, 101 ..., during a glide
const int WarmUpCycles = Cycles / 10;

// The process's private bytes. Wine fills only the basic record, whose
// PagefileUsage is the same commit charge that PrivateUsage reports.
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

TEST(Soak, CyclesKeepHandlesAndMemoryStable) {
  TDeviceScreen screen;
  TBusyCore busy;
  TMessageBoxRecorder boxes;
  TScriptedClock clock(1000000);
  TRandom random(TestSeed(0x50A6));
  ResetFrameworkState(crUnregisterClasses);
  StartHandleAccounting();
  NewDemoForm(DemoForm, nullptr);
  TDemoForm* holder = DemoForm;
  TControl* form = holder->Form;
  TGlideStripbox* list = holder->ListBox;
  form->CreateHandle();
  PumpMessages();
  HWND panel = list->Panel->Handle;
  HWND timerWindow = nullptr;

  auto tick = [&] {
    // The platform's timer callback, as DispatchMessageW calls it for each WM_TIMER.
    TimerProc(timerWindow, WM_TIMER, list->Timer->TimerId, 0);
  };
  // Four sizes in turn, each unlike the one before and the form's first.
  auto resize = [&](int cycle) {
    static const SIZE sizes[] = {{220, 300}, {240, 280}, {200, 260}, {240, 300}};
    const SIZE size = sizes[(cycle / ResizeEvery) % 4];
    form->SetBounds(RECT{0, 0, size.cx, size.cy});
  };

  // Warm-up, before the first cycle: the form goes through its four sizes
  // once, so that what it lazily makes on its first exposed background (its
  // brush tool) exists before the counts of the first cycle are taken.
  for (int i = 0; i < 4; ++i) resize(i * ResizeEvery);
  PumpMessages();

  THandleCounts first = {};
  SIZE_T early = 0;
  long long ticks = 0;
  int resizes = 0;
  int resizesInGlide = 0;
  std::string failure;
  for (int cycle = 1; cycle <= Cycles && failure.empty(); ++cycle) {
    // Drag upwards or downwards, the last step decides the flick's speed. A
    // glide that is to be cut by a resize is a full-speed flick away from the
    // nearer end, so that it is still under way when the resize comes.
    const bool resizeInGlide = cycle % ResizeInGlideEvery == 1;
    bool up = random.OneIn(2);
    int step = 2 + static_cast<int>(random.Below(29));  // speed 1 .. 15
    if (resizeInGlide) {
      up = list->Offset.y < list->MaxOffsetY() / 2;
      step = 30;
    }
    int y = up ? 200 : 40;
    clock.Advance(1000);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(120, y));
    for (int i = 0; i < 4; ++i) {
      y += up ? -10 : 10;
      SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, At(120, y));
    }
    y += up ? -step : step;
    SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, At(120, y));
    SendMessageW(panel, WM_LBUTTONUP, 0, At(120, y));
    if (timerWindow == nullptr && TimerWindow != nullptr) timerWindow = TimerWindow->Handle;

    // Glide to rest, or until a resize in the middle of it stops it. A
    // stroke into an end of the list leaves no speed but the timer running:
    // its ticks then change nothing, as after a tap during a glide.
    auto moving = [&] { return list->Speed.x != 0 || list->Speed.y != 0; };
    bool resizedInGlide = false;
    for (int i = 0; i < 400 && list->Timer->Enabled && moving(); ++i, ++ticks) {
      if (resizeInGlide && i == 5) {
        resize(cycle);
        ++resizes;
        ++resizesInGlide;
        resizedInGlide = true;
        // A resize ends the glide and shows the top of the list.
        if (list->Timer->Enabled || list->Offset.y != 0 || list->Speed.y != 0)
          failure = "a resize during the glide did not stop it";
        break;
      }
      tick();
    }
    if (moving()) failure = "the glide did not come to rest";
    if (resizeInGlide && !resizedInGlide) failure = "the glide ended before its resize";
    if (cycle % ResizeEvery == 1 && !resizeInGlide) {
      resize(cycle);
      ++resizes;
    }
    PumpMessages();

    // Tap a row, then tap it again 150 ms later: selected, highlighted, shown.
    const int tapY = 125;
    const long row = (tapY + list->Offset.y) / list->ItemHeight;
    clock.Advance(1000);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(60, tapY));
    SendMessageW(panel, WM_LBUTTONUP, 0, At(60, tapY));
    UpdateWindow(panel);
    const int shown = TMessageBoxRecorder::Count;
    clock.Advance(150);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, At(60, tapY));
    SendMessageW(panel, WM_LBUTTONUP, 0, At(60, tapY));
    UpdateWindow(panel);
    if (list->Selected.y != row) failure = "the tap did not select row " + std::to_string(row);
    const int inside = row * list->ItemHeight - list->Offset.y + list->ItemHeight / 2;
    if (GetPixel(list->BackBuffer->Canvas->DC, list->ItemWidth - 6, inside) != DefaultSelectedColor)
      failure = "the tapped row is not highlighted";
    if (TMessageBoxRecorder::Count != shown + 1 ||
        TMessageBoxRecorder::Text != std::wstring(L"Deneme: ") + std::to_wstring(row))
      failure = "the double tap did not show row " + std::to_string(row);

    std::string fault = ListInvariantFault(list);
    if (!fault.empty()) failure = fault;
    THandleCounts counts = CurrentHandleCounts();
    if (cycle == 1) first = counts;
    for (int k = 0; k < hkKindCount; ++k)
      if (counts.Alive[k] != first.Alive[k])
        failure = std::string("alive ") + HandleKindName(static_cast<THandleKind>(k)) + " " +
                  std::to_string(counts.Alive[k]) + ", first cycle " +
                  std::to_string(first.Alive[k]);
    if (cycle == WarmUpCycles) early = PrivateBytes();
    if (!failure.empty()) failure += " in cycle " + std::to_string(cycle);
  }
  EXPECT_EQ(failure, "");
  const SIZE_T final = PrivateBytes();
  const double change = early > 0 ? (static_cast<double>(final) - early) * 100.0 / early : 100.0;
  THandleCounts last = CurrentHandleCounts();

  Figure("soak.cycles", static_cast<long long>(Cycles));
  Figure("soak.glide_ticks", ticks);
  Figure("soak.resizes", static_cast<long long>(resizes));
  Figure("soak.resizes_during_glide", static_cast<long long>(resizesInGlide));
  Figure("soak.message_boxes", static_cast<long long>(TMessageBoxRecorder::Count));
  Figure("soak.alive_first_cycle", DescribeAlive(first.Alive));
  Figure("soak.alive_last_cycle", DescribeAlive(last.Alive));
  Figure("soak.created_bitmaps", static_cast<long long>(last.Created[hkBitmap]));
  Figure("soak.private_bytes_after_warm_up", static_cast<long long>(early));
  Figure("soak.private_bytes_final", static_cast<long long>(final));
  Figure("soak.private_bytes_change_percent", change);
  EXPECT_EQ(resizes, Cycles / ResizeEvery);
  EXPECT_EQ(resizesInGlide, Cycles / ResizeInGlideEvery);
  EXPECT_LE(std::abs(change), 1.0);

  Shutdown(form);
  DemoForm = nullptr;
  EXPECT_EQ(SurvivorFault(list), "");
  list->Destroy();
  EXPECT_EQ(LeftAliveFault(), "");
  StopHandleAccounting();
  ResetFrameworkState(crUnregisterClasses);
}

}  // namespace
