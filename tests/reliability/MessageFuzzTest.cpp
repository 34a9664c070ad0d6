// Message fuzzing: the demo's form, button and panel, built in-process, get
// a million messages (150,000 in the test command's shortened run) from a
// seeded generator - every message number the framework handles, with random
// and extreme parameters - sent straight to their window procedures. The list box invariants hold throughout, nothing
// leaks from one round to the next, and afterwards the program still selects
// and highlights a tapped row and still ends through "Kapat".
//
// GLIDESTRIP_SEED=<n> repeats a run; a failure prints the seed and the message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ApiPatch.h"
#include "support/ReliabilityDemo.h"
#include "support/ReliabilityLoop.h"
#include "support/TestWindows.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "controls/Dispatch.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "listbox/GlideStripbox.h"
#include "tests/support/HandleAccounting.h"

namespace {

const uint64_t DefaultSeed = 0x5EED2024;
const int Rounds = 5;
const int MessagesPerRound = RunSize(30000, 200000);
const int CheckEvery = 1000;

enum TTarget { tgForm, tgButton, tgPanel, tgCount };
const char* const TargetNames[tgCount] = {"form", "button", "panel"};

struct TFuzzMessage {
  TTarget Target;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// What the crash report and the failure messages name.
struct TFuzzPosition {
  uint64_t Seed = 0;
  int Round = 0;
  long long Index = -1;
  TFuzzMessage Message = {};
};
TFuzzPosition Position;

std::string Describe(const TFuzzPosition& at) {
  char text[200];
  std::snprintf(text, sizeof(text),
                "seed 0x%" PRIx64 ", round %d, message #%lld: %s msg 0x%04X wParam 0x%llX "
                "lParam 0x%llX",
                at.Seed, at.Round, at.Index, TargetNames[at.Message.Target], at.Message.Msg,
                static_cast<unsigned long long>(at.Message.WParam),
                static_cast<unsigned long long>(at.Message.LParam));
  return text;
}

// A crash inside a window procedure still names the message that caused it.
LONG CALLBACK ReportCrash(EXCEPTION_POINTERS* info) {
  DWORD code = info->ExceptionRecord->ExceptionCode;
  if (Position.Index >= 0 && (code == EXCEPTION_ACCESS_VIOLATION ||
                              code == EXCEPTION_STACK_OVERFLOW || code == EXCEPTION_INT_DIVIDE_BY_ZERO)) {
    std::fprintf(stderr, "fuzz crash 0x%08lX at %s\n", code, Describe(Position).c_str());
    std::fflush(stderr);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// A message that never returns (a modal loop, an endless one) stops the run
// with the seed and the message, instead of leaving it to the test's timeout.
class THangGuard {
 public:
  explicit THangGuard(DWORD limitMs) : Limit(limitMs) {
    Done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Thread = CreateThread(nullptr, 0, &Watch, this, 0, nullptr);
  }
  ~THangGuard() {
    SetEvent(Done);
    WaitForSingleObject(Thread, INFINITE);
    CloseHandle(Thread);
    CloseHandle(Done);
  }
  static inline volatile LONG Progress = 0;  // bumped after every message

 private:
  static DWORD WINAPI Watch(LPVOID data) {
    THangGuard* self = static_cast<THangGuard*>(data);
    LONG seen = Progress;
    DWORD still = 0;
    while (WaitForSingleObject(self->Done, 500) == WAIT_TIMEOUT) {
      LONG now = Progress;
      if (now != seen || Position.Index < 0) {
        seen = now;
        still = 0;
        continue;
      }
      still += 500;
      if (still < self->Limit) continue;
      std::fprintf(stderr, "fuzz hang: no return for %lu ms from %s\n", still,
                   Describe(Position).c_str());
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
  }
  DWORD Limit;
  HANDLE Done = nullptr;
  HANDLE Thread = nullptr;
};

// The handles a parameter may name: the demo's own windows, a window of this
// thread that is not the framework's, a destroyed window, another process's
// window (the desktop), none, and values no window has.
class THandlePool {
 public:
  THandlePool() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FuzzForeign";
    RegisterClassW(&wc);
    Foreign = CreateWindowExW(0, L"FuzzForeign", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                              nullptr, wc.hInstance, nullptr);
    Destroyed = CreateWindowExW(0, L"FuzzForeign", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                nullptr, wc.hInstance, nullptr);
    DestroyWindow(Destroyed);
    ForeignDC = GetDC(Foreign);
    MemoryDC = CreateCompatibleDC(nullptr);
    StaleMemoryDC = CreateCompatibleDC(nullptr);
    DeleteDC(StaleMemoryDC);
    StaleWindowDC = GetDC(Foreign);
    ReleaseDC(Foreign, StaleWindowDC);
  }
  ~THandlePool() {
    DeleteDC(MemoryDC);
    ReleaseDC(Foreign, ForeignDC);
    DestroyWindow(Foreign);
  }
  HWND Foreign = nullptr;
  HWND Destroyed = nullptr;
  HDC ForeignDC = nullptr;
  HDC MemoryDC = nullptr;
  HDC StaleMemoryDC = nullptr;
  HDC StaleWindowDC = nullptr;
};

class TFuzzer {
 public:
  TFuzzer(uint64_t seed, const THandlePool& pool) : Random(seed), Pool(pool) {}

  void Aim(HWND form, HWND button, HWND panel, HWND timerWindow, UINT_PTR timerId) {
    Targets[tgForm] = form;
    Targets[tgButton] = button;
    Targets[tgPanel] = panel;
    TimerWindow = timerWindow;
    TimerId = timerId;
  }

  // closeChildren: a WM_CLOSE may go to the button or the panel, which
  // legitimately destroys it; otherwise every WM_CLOSE goes to the form.
  TFuzzMessage Next(bool closeChildren) {
    TFuzzMessage m = {};
    m.Target = static_cast<TTarget>(Random.Below(tgCount));
    // Weights keep the run within its time: every message costs at least one
    // round trip to the platform, stylus messages to the panel half a dozen.
    uint32_t group = Random.Below(100);
    if (group < 22) {  // mouse, WM_MOUSEMOVE .. WM_MOUSEWHEEL
      m.Msg = WM_MOUSEMOVE + Random.Below(11);
      uint32_t aim = Random.Below(20);
      m.Target = aim < 9 ? tgPanel : aim < 16 ? tgForm : tgButton;
      m.WParam = Random.OneIn(4) ? Word() : (Random.OneIn(2) ? MK_LBUTTON : 0);
      m.LParam = Random.OneIn(8) ? static_cast<LPARAM>(Word()) : PointParam();
    } else if (group < 31) {  // keys, WM_KEYDOWN .. 264
      m.Msg = WM_KEYFIRST + Random.Below(9);
      static const WPARAM keys[] = {VK_SPACE, VK_RETURN, VK_TAB, VK_ESCAPE, VK_F4, VK_MENU,
                                    VK_CONTROL, 'A', 9, 0, 0xFFFF};
      m.WParam = Random.OneIn(3) ? Word() : Random.Pick(keys);
      m.LParam = Word();
    } else if (group < 34) {
      m.Msg = WM_SIZE;
      m.WParam = Random.Below(5);
      m.LParam = Random.OneIn(2) ? PointParam() : static_cast<LPARAM>(Word());
    } else if (group < 37) {
      m.Msg = Random.OneIn(2) ? WM_SETFOCUS : WM_KILLFOCUS;
      m.WParam = reinterpret_cast<WPARAM>(Handle());
    } else if (group < 50) {
      m.Msg = WM_COMMAND;
      static const WORD codes[] = {BN_CLICKED, BN_SETFOCUS, BN_KILLFOCUS, 1, 5, 0xFFFF};
      WORD code = Random.OneIn(3) ? static_cast<WORD>(Random.Next()) : Random.Pick(codes);
      m.WParam = MAKEWPARAM(static_cast<WORD>(Random.Next()), code);
      m.LParam = reinterpret_cast<LPARAM>(Handle());
    } else if (group < 61) {  // WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC
      m.Msg = WM_CTLCOLORMSGBOX + Random.Below(7);
      m.WParam = reinterpret_cast<WPARAM>(DeviceContext());
      m.LParam = reinterpret_cast<LPARAM>(Handle());
    } else if (group < 64) {
      m.Msg = WM_PAINT;
      m.WParam = Random.OneIn(2) ? 0 : reinterpret_cast<WPARAM>(DeviceContext());
      m.LParam = Random.OneIn(2) ? 0 : static_cast<LPARAM>(Word());
    } else if (group < 71) {
      m.Msg = WM_ERASEBKGND;
      m.WParam = reinterpret_cast<WPARAM>(DeviceContext());
    } else if (group < 98) {
      // Sent, so only the window procedure sees it: DispatchMessageW would
      // call a procedure address in lParam.
      m.Msg = WM_TIMER;
      const UINT_PTR ids[] = {0, 1, TimerId, TimerId + 1, static_cast<UINT_PTR>(-1)};
      m.WParam = Random.OneIn(2) ? static_cast<WPARAM>(Random.Next()) : Random.Pick(ids);
      m.LParam = static_cast<LPARAM>(Random.Next());
    } else {
      m.Msg = WM_CLOSE;
      if (!closeChildren) m.Target = tgForm;
    }
    return m;
  }

  HWND Target(TTarget t) const { return Targets[t]; }
  // Milliseconds between two stylus-downs: taps, double taps and neither.
  DWORD Pause() { return Random.Below(400); }

 private:
  // Pointer-sized values: extremes, small numbers and noise.
  uint64_t Word() {
    static const uint64_t extremes[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000,
                                        0xFFFFFFFF, 0x80008000, ~0ull, 0x8000000000000000ull};
    switch (Random.Below(3)) {
      case 0: return Random.Pick(extremes);
      case 1: return Random.Below(1000);
      default: return Random.Next();
    }
  }

  int Coordinate(int range) {
    static const int extremes[] = {-32768, -32767, -1, 0, 1, 32767};
    if (Random.OneIn(4)) return Random.Pick(extremes);
    if (Random.OneIn(6)) return static_cast<int16_t>(Random.Next());
    return static_cast<int>(Random.Below(static_cast<uint32_t>(range)));
  }

  LPARAM PointParam() {
    int x = Coordinate(TDeviceScreen::Width);
    int y = Coordinate(TDeviceScreen::Height);
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
  }

  HWND Handle() {
    switch (Random.Below(12)) {
      case 0: case 1: return Targets[tgForm];
      case 2: case 3: return Targets[tgButton];
      case 4: case 5: return Targets[tgPanel];
      case 6: return TimerWindow;
      case 7: return Pool.Foreign;
      case 8: return Pool.Destroyed;
      case 9: return GetDesktopWindow();
      case 10: return nullptr;
      default: return reinterpret_cast<HWND>(static_cast<UINT_PTR>(Word()));
    }
  }

  // Live, stale and extreme values, never pointer-sized noise: Wine's
  // SelectObject, and so FillRect and the system BUTTON and STATIC painting,
  // fault on many arbitrary handle values, which the device's GDI refuses.
  HDC DeviceContext() {
    static const uint64_t extremes[] = {1, 0x3E7, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF,
                                        0x80000000, 0xFFFFFFFF, ~0ull, 0x8000000000000000ull};
    switch (Random.Below(6)) {
      case 0: return nullptr;
      case 1: return Pool.ForeignDC;
      case 2: return Pool.MemoryDC;
      case 3: return Pool.StaleMemoryDC;
      case 4: return Pool.StaleWindowDC;
      default: return reinterpret_cast<HDC>(static_cast<UINT_PTR>(Random.Pick(extremes)));
    }
  }

  TRandom Random;
  const THandlePool& Pool;
  HWND Targets[tgCount] = {};
  HWND TimerWindow = nullptr;
  UINT_PTR TimerId = 0;
};

// The program's own WM_CLOSE to its form, and its quit requests.
struct TEndObserver {
  static inline HWND Form = nullptr;
  static inline bool CloseReachedForm = false;
  static inline int Quits = 0;
  static BOOL WINAPI Post(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CLOSE && wnd != nullptr && wnd == Form) CloseReachedForm = true;
    return DefaultApi.PostMessageW(wnd, msg, wparam, lparam);
  }
  static void WINAPI Quit(int code) {
    ++Quits;
    DefaultApi.PostQuitMessage(code);
  }
};

struct TRoundResult {
  bool ClosedChild = false;
  long long Sent = 0;
  int Boxes = 0;
  long long Checks = 0;
  long Most[hkKindCount] = {};    // the most alive at any check before a child may close
};

void NoteGone(void* flag, TBaseObject*) { *static_cast<bool*>(flag) = true; }

class MessageFuzz : public ::testing::Test {
 protected:
  void SetUp() override {
    Position = TFuzzPosition{};
    Position.Seed = TestSeed(DefaultSeed);
    Crash = AddVectoredExceptionHandler(1, &ReportCrash);
    ResetFrameworkState(crUnregisterClasses);
  }
  void TearDown() override {
    RemoveVectoredExceptionHandler(Crash);
    Position.Index = -1;
    ResetFrameworkState(crUnregisterClasses);
  }

  // One round on a fresh demo; false stops the suite (the failure is reported).
  bool FuzzRound(int round, TFuzzer& fuzzer, TRoundResult& result) {
    Position.Round = round;
    TMessageBoxRecorder boxes;
    TScriptedClock clock(1000000);
    StartHandleAccounting();
    NewDemoForm(DemoForm, nullptr);
    TDemoForm* holder = DemoForm;
    TGlideStripbox* list = holder->ListBox;
    TControl* form = holder->Form;
    TControl* button = holder->Button;
    bool buttonGone = false;  // a closed button frees itself
    button->OnDestroy = {NoteGone, &buttonGone};
    form->CreateHandle();  // shown, as the loop does first
    PumpMessages();
    // The timer's window exists once it has run; the parameters may name it.
    list->Timer->SetEnabled(true);
    list->Timer->SetEnabled(false);
    fuzzer.Aim(form->Handle, button->Handle, list->Panel->Handle, TimerWindow->Handle,
               reinterpret_cast<UINT_PTR>(list->Timer));

    // The extents, for a check after every message without platform calls:
    // the panel keeps its size (nothing in the list resizes the form).
    const int count = list->GetItems()->Count();
    int maxX = list->MaxOffsetX();
    int maxY = list->MaxOffsetY();
    EXPECT_EQ(maxY, count * list->ItemHeight - list->Panel->GetHeight());

    // The last round never closes a child, so the tap and "Kapat" can follow.
    const bool mayCloseChild = round < Rounds;
    const int closingFrom = MessagesPerRound * 9 / 10;
    bool panelGone = false;
    bool failed = false;
    for (int i = 0; i < MessagesPerRound; ++i) {
      TFuzzMessage m = fuzzer.Next(mayCloseChild && i >= closingFrom && !result.ClosedChild);
      Position.Index = i;
      Position.Message = m;
      if (m.Msg == WM_CLOSE && m.Target != tgForm) result.ClosedChild = true;
      // A stylus-down at a random distance from the last: taps, double taps and neither.
      if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN)
        clock.Advance(fuzzer.Pause());
      SendMessageW(fuzzer.Target(m.Target), m.Msg, m.WParam, m.LParam);
      ++result.Sent;
      InterlockedIncrement(&THangGuard::Progress);

      if (!panelGone && list->Panel == nullptr) {
        panelGone = true;  // closed: the extents now count no visible rows
        maxX = list->MaxOffsetX();
        maxY = list->MaxOffsetY();
      }
      std::string fault = ListInvariantFault(list, maxX, maxY);
      if (fault.empty() && (i + 1) % CheckEvery == 0) {
        // The queue too: paints, the glide's real ticks, posted closes (their quit is dropped).
        PumpMessages();
        fault = ListInvariantFault(list);
        ++result.Checks;
        if (i < closingFrom) {
          THandleCounts counts = CurrentHandleCounts();
          for (int k = 0; k < hkKindCount; ++k)
            result.Most[k] = std::max(result.Most[k], counts.Alive[k]);
        }
      }
      if (!fault.empty()) {
        ADD_FAILURE() << fault << " after " << Describe(Position);
        failed = true;
        break;
      }
    }
    Position.Index = -1;
    PumpMessages();
    result.Boxes = TMessageBoxRecorder::Count;

    if (!failed && list->Panel != nullptr) CheckTapHighlightsTheRow(list, clock);
    EndThroughKapat(form, buttonGone ? nullptr : button, round);

    EXPECT_EQ(SurvivorFault(list), "") << "round " << round;
    list->Destroy();
    EXPECT_EQ(LeftAliveFault(), "") << "round " << round;
    StopHandleAccounting();
    ResetFrameworkState(crUnregisterClasses);
    return !failed;
  }

  void CheckTapHighlightsTheRow(TGlideStripbox* list, TScriptedClock& clock) {
    clock.Advance(1000);  // no double tap with whatever came last
    HWND panel = list->Panel->Handle;
    const int y = 125;
    const long row = (y + list->Offset.y) / list->ItemHeight;
    // Halfway down the row, clear of its separator lines.
    const int inside = row * list->ItemHeight - list->Offset.y + list->ItemHeight / 2;
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, y));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(120, y));
    RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(list->Selected.y, row) << "seed " << Position.Seed;
    ASSERT_NE(list->BackBuffer->GetCanvas(), nullptr);
    EXPECT_EQ(GetPixel(list->BackBuffer->Canvas->DC, list->ItemWidth - 6, inside), DefaultSelectedColor)
        << "seed " << Position.Seed;
  }

  // "Kapat" where the button lives, else the platform's close: the loop must
  // end through WM_CLOSE and WM_QUIT.
  void EndThroughKapat(TControl* form, TControl* button, int round) {
    TScopedPatch<decltype(TPlatformApi::PostMessageW)> posts(Api.PostMessageW, &TEndObserver::Post);
    TScopedPatch<decltype(TPlatformApi::PostQuitMessage)> quits(Api.PostQuitMessage,
                                                                &TEndObserver::Quit);
    TEndObserver::Form = form->Handle;
    TEndObserver::CloseReachedForm = false;
    TEndObserver::Quits = 0;
    const bool kapat = button != nullptr && button->Handle != nullptr && IsWindow(button->Handle);
    HWND buttonWnd = kapat ? button->Handle : nullptr;
    HWND formWnd = form->Handle;
    TLoopScript script("fuzz round " + std::to_string(round), 5000);
    script.Add([&] {
      if (kapat)
        PostMessageW(buttonWnd, BM_CLICK, 0, 0);
      else
        PostMessageW(formWnd, WM_CLOSE, 0, 0);
      return false;
    });
    ::Run(DemoForm->Form);  // the application loop, not the fixture's Run
    DemoForm = nullptr;
    script.Finish();
    EXPECT_FALSE(script.Hung()) << "round " << round << ", seed " << Position.Seed;
    if (kapat) {
      EXPECT_TRUE(TEndObserver::CloseReachedForm) << "round " << round;
    }
    EXPECT_EQ(TEndObserver::Quits, 1) << "round " << round;
  }

  PVOID Crash = nullptr;
};

TEST_F(MessageFuzz, DemoOutlivesSeededRandomMessages) {
  TDeviceScreen screen;
  char seed[24];
  std::snprintf(seed, sizeof(seed), "0x%" PRIx64, Position.Seed);
  Figure("fuzz.seed", std::string(seed));
  THandlePool pool;
  TFuzzer fuzzer(Position.Seed, pool);
  THangGuard guard(10000);
  TBusyCore busy;
  long long sent = 0;
  long long checks = 0;
  long long boxes = 0;
  int closedChildren = 0;
  std::vector<TRoundResult> results;
  for (int round = 1; round <= Rounds; ++round) {
    TRoundResult result;
    if (!FuzzRound(round, fuzzer, result)) break;
    sent += result.Sent;
    checks += result.Checks;
    boxes += result.Boxes;
    closedChildren += result.ClosedChild;
    Figure("fuzz.round" + std::to_string(round) + ".most_alive", DescribeAlive(result.Most));
    // What can be alive at a check, with the queue drained and no paint under
    // way: the form, button, panel and timer windows; brushes of the back
    // buffer's canvas and of the form's, button's and panel's brush tools,
    // plus the plain brush a form caches before the process's first brush
    // tool (so only in the first round); the panel's font and the back
    // buffer's; its pen; the back buffer with its memory DC; the glide's timer.
    const long allowed[hkKindCount] = {4, 5, 2, 1, 1, 0, 0, 1, 0, 1};
    for (int k = 0; k < hkKindCount; ++k) {
      EXPECT_LE(result.Most[k], allowed[k])
          << HandleKindName(static_cast<THandleKind>(k)) << " in round " << round;
      // No growth from one repetition to the next. The glide's timer is no
      // measure of growth: it runs only while a glide is left running at a
      // check, which a round may or may not happen to do; its bound is above.
      if (!results.empty() && k != hkTimer) {
        EXPECT_LE(result.Most[k], results.front().Most[k])
            << HandleKindName(static_cast<THandleKind>(k)) << " in round " << round;
      }
    }
    results.push_back(result);
  }
  Figure("fuzz.messages_sent", sent);
  Figure("fuzz.invariant_checks_with_queue", checks);
  Figure("fuzz.message_boxes", boxes);
  Figure("fuzz.children_closed", static_cast<long long>(closedChildren));
  EXPECT_EQ(sent, static_cast<long long>(Rounds) * MessagesPerRound);
}

}  // namespace

namespace {

// Found by the fuzz: a stylus captured by the panel may go down and up far
// above the list; no row lies there, so the tap selects nothing.
TEST_F(MessageFuzz, TapFarAboveTheListSelectsNothing) {
  TDeviceScreen screen;
  TMessageBoxRecorder boxes;
  TScriptedClock clock(1000000);
  NewDemoForm(DemoForm, nullptr);
  TGlideStripbox* list = DemoForm->ListBox;
  TControl* form = DemoForm->Form;
  form->CreateHandle();
  HWND panel = list->Panel->Handle;
  for (int y : {-200, -32768, -75, 125}) {
    clock.Advance(1000);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, static_cast<WORD>(y)));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(120, static_cast<WORD>(y)));
    EXPECT_EQ(list->Selected.y, y == 125 ? 2 : -1) << y;
    EXPECT_EQ(ListInvariantFault(list), "") << y;
  }
  MainForm = nullptr;
  Free(form);
  list->Destroy();
  DemoForm = nullptr;
}

}  // namespace
