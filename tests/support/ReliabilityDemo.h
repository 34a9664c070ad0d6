// The demo as the reliability suites drive it in-process: a device-sized
// screen, message boxes answered by a recorder instead of a modal box, the
// list box invariants, what the program keeps alive on purpose once its form
// is gone, a seeded generator and the `name: value` figures the suites print.
//
//   TDeviceScreen screen;              // the form comes out 240 x 320
//   TMessageBoxRecorder boxes;         // ItemClick never blocks
//   NewDemoForm(DemoForm, nullptr);
//   EXPECT_EQ(ListInvariantFault(DemoForm->ListBox), "");
//   Figure("fuzz.messages_sent", 1000000);
#pragma once

#include <windows.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/ApiPatch.h"
#include "support/SeededRandom.h"
#include "app/DemoForm.h"
#include "controls/Control.h"
#include "core/Timer.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "listbox/GlideStripbox.h"
#include "tests/support/DeviceScreen.h"
#include "tests/support/FrameworkReset.h"
#include "tests/support/HandleAccounting.h"
#include "support/TestWindows.h"

// ---- figures ------------------------------------------------------------------

inline void Figure(const std::string& name, long long value) {
  std::printf("%s: %lld\n", name.c_str(), value);
  std::fflush(stdout);
}
inline void Figure(const std::string& name, double value) {
  std::printf("%s: %.3f\n", name.c_str(), value);
  std::fflush(stdout);
}
inline void Figure(const std::string& name, const std::string& value) {
  std::printf("%s: %s\n", name.c_str(), value.c_str());
  std::fflush(stdout);
}

// ---- seeded generator -------------------------------------------------------------

// The seed of a randomised suite: GLIDESTRIP_SEED (decimal or 0x hex) when set,
// else the suite's fixed default, so a failing run can be repeated exactly.
inline uint64_t TestSeed(uint64_t fallback) {
  const char* text = std::getenv("GLIDESTRIP_SEED");
  if (text == nullptr || *text == 0) return fallback;
  return std::strtoull(text, nullptr, 0);
}

// ---- run sizes ------------------------------------------------------------------------

// The test command runs the long suites shortened; the long run (scripts/test
// --long) sets GLIDESTRIP_LONG=1 and they run at full size.
inline bool LongRun() {
  const char* text = std::getenv("GLIDESTRIP_LONG");
  return text != nullptr && *text != 0 && std::strcmp(text, "0") != 0;
}
template <typename T>
T RunSize(T shortened, T full) {
  return LongRun() ? full : shortened;
}

// ---- run time -------------------------------------------------------------------------

// Keeps one more core awake while a long suite runs. Every message costs
// round trips to the wineserver, and on a virtual machine a core that has
// gone idle takes tens of microseconds to wake for each of them; a spinning
// thread of idle priority keeps the cores from halting and the suite runs
// several times faster. It yields to any other work.
class TBusyCore {
 public:
  TBusyCore() {
    Stop = 0;
    Thread = CreateThread(nullptr, 0, &Spin, nullptr, 0, nullptr);
    if (Thread != nullptr) SetThreadPriority(Thread, THREAD_PRIORITY_IDLE);
  }
  ~TBusyCore() {
    InterlockedExchange(&Stop, 1);
    if (Thread != nullptr) {
      WaitForSingleObject(Thread, INFINITE);
      CloseHandle(Thread);
    }
  }
  TBusyCore(const TBusyCore&) = delete;
  TBusyCore& operator=(const TBusyCore&) = delete;

 private:
  static DWORD WINAPI Spin(LPVOID) {
    while (InterlockedCompareExchange(&Stop, 0, 0) == 0) {
    }
    return 0;
  }
  static inline volatile LONG Stop = 0;
  HANDLE Thread = nullptr;
};

// ---- the device ---------------------------------------------------------------------

// MessageBoxW answered at once with Answer (0: the box could not be shown).
class TMessageBoxRecorder {
 public:
  explicit TMessageBoxRecorder(int answer = IDOK) : Patch(Api.MessageBoxW, &Show) {
    Answer = answer;
    Count = 0;
    Owner = nullptr;
    Text.clear();
    Caption.clear();
  }
  static int WINAPI Show(HWND owner, LPCWSTR text, LPCWSTR caption, UINT) {
    ++Count;
    Owner = owner;
    Text = text != nullptr ? text : L"(null)";
    Caption = caption != nullptr ? caption : L"(null)";
    return Answer;
  }
  static inline int Answer = IDOK;
  static inline int Count = 0;
  static inline HWND Owner = nullptr;
  static inline std::wstring Text;
  static inline std::wstring Caption;

 private:
  TScopedPatch<decltype(TPlatformApi::MessageBoxW)> Patch;
};

// ---- invariants and survivors -----------------------------------------------------------

// "" while 0 <= Offset <= the extents on both axes, each Speed component lies
// within +-MaxSpeed and the selected row is -1 or more; else what is wrong.
inline std::string ListInvariantFault(const TGlideStripbox* list, int maxX, int maxY) {
  char text[200];
  if (list->Offset.x < 0 || list->Offset.x > maxX || list->Offset.y < 0 || list->Offset.y > maxY) {
    std::snprintf(text, sizeof(text), "Offset (%ld, %ld) outside (0..%d, 0..%d)", list->Offset.x,
                  list->Offset.y, maxX, maxY);
    return text;
  }
  const long limit = list->MaxSpeed;
  if (list->Speed.x < -limit || list->Speed.x > limit || list->Speed.y < -limit ||
      list->Speed.y > limit) {
    std::snprintf(text, sizeof(text), "Speed (%ld, %ld) beyond +-%ld", list->Speed.x,
                  list->Speed.y, limit);
    return text;
  }
  if (list->Selected.y < -1) {
    std::snprintf(text, sizeof(text), "Selected row %ld below -1", list->Selected.y);
    return text;
  }
  return "";
}
inline std::string ListInvariantFault(const TGlideStripbox* list) {
  return ListInvariantFault(list, list->MaxOffsetX(), list->MaxOffsetY());
}

// What the program keeps alive on purpose once its form is gone. The list
// box is never destroyed, and with it stay its back buffer (bitmap and the
// memory DC of its canvas), the brush, pen and font of that canvas, and the
// hidden timer window, which lives as long as a timer object does. Nothing
// else survives: the panel, its canvas and every control went with the form,
// and the panel's end stopped the timer. Stock objects are never counted.
struct TSurvivors {
  long Alive[hkKindCount] = {};
};

inline TSurvivors HeldByListBox(const TGlideStripbox* list) {
  TSurvivors held;
  if (TimerWindow != nullptr && TimerWindow->Handle != nullptr && IsWindow(TimerWindow->Handle))
    held.Alive[hkWindow] = 1;
  const TBitmap* buffer = list != nullptr ? list->BackBuffer : nullptr;
  if (buffer == nullptr) return held;
  if (buffer->Handle != nullptr) held.Alive[hkBitmap] = 1;
  const TCanvas* canvas = buffer->Canvas;
  if (canvas == nullptr) return held;
  if (canvas->DC != nullptr) held.Alive[hkMemoryDC] = 1;
  if (canvas->Brush != nullptr && canvas->Brush->Handle != nullptr) held.Alive[hkBrush] = 1;
  if (canvas->Pen != nullptr && canvas->Pen->Handle != nullptr) held.Alive[hkPen] = 1;
  if (canvas->Font != nullptr && canvas->Font->Handle != nullptr) held.Alive[hkFont] = 1;
  return held;
}

inline std::string DescribeAlive(const long* alive) {
  std::string text;
  for (int k = 0; k < hkKindCount; ++k) {
    if (!text.empty()) text += ' ';
    text += HandleKindName(static_cast<THandleKind>(k));
    text += '=';
    text += std::to_string(alive[k]);
  }
  return text;
}

// "" when exactly what the list box holds is alive, else both sides.
inline std::string SurvivorFault(const TGlideStripbox* list) {
  TSurvivors held = HeldByListBox(list);
  THandleCounts counts = CurrentHandleCounts();
  for (int k = 0; k < hkKindCount; ++k)
    if (counts.Alive[k] != held.Alive[k])
      return "alive " + DescribeAlive(counts.Alive) + ", held by the list box " +
             DescribeAlive(held.Alive);
  return "";
}

// "" when nothing counted is alive any more.
inline std::string LeftAliveFault() {
  THandleCounts counts = CurrentHandleCounts();
  for (int k = 0; k < hkKindCount; ++k)
    if (counts.Alive[k] != 0) return "still alive: " + DescribeAlive(counts.Alive);
  return "";
}

// Prints the survivors of one scenario as figures: prefix.window: 1 ...
inline void SurvivorFigures(const std::string& prefix) {
  THandleCounts counts = CurrentHandleCounts();
  for (int k = 0; k < hkKindCount; ++k)
    Figure(prefix + "." + HandleKindName(static_cast<THandleKind>(k)),
           static_cast<long long>(counts.Alive[k]));
}

