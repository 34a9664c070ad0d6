// The outside fuzz: another program on the same desktop as the running demo
// finds the demo's windows the way any program could, posts or sends them a
// seeded mix of messages, holds the stylus down on the list for the middle
// third of the run, and answers every message box the demo opens meanwhile.
// Run under the same Wine prefix and desktop as the demo; prints figures as
// `name: value` lines and exits 0 only if the demo is still there, answers,
// and shows no box when the run ends.
//
//   fuzz run SEED COUNT [--without-timer-close] [--without-double-click-flood]
//                       [--without-send] [--without-stylus-hold] [--close-focused-list]
//                         delivers COUNT messages from the generator seeded SEED
//                         (those refused because their window went are extra);
//                         the --without options leave a kind out, to narrow a
//                         failure down; --close-focused-list first closes the
//                         list's window (WM_CLOSE), which must have the focus
//   fuzz idle MS          the demo's processor time over MS milliseconds
//   fuzz boxes            answers the demo's open message boxes
//   fuzz windows          the demo's windows, hidden ones and boxes too
//
// The targets: the form "GlideStrip Demo" (class "Form"), its children the
// "Kapat" button and the list's static panel, the hidden timer window
// ("TWND", there while a glide runs or after one ran) and the soft-key bar's
// desktop stand-in. The mix: stylus and key input, focus, size, paint, timer
// and command messages, capture and mode news (WM_CANCELMODE,
// WM_CAPTURECHANGED), destruction messages (WM_DESTROY, WM_NCDESTROY) to any
// of the windows, setting and display changes, closes to the hidden timer
// window, flicks and slow drags in one go, and floods of double clicks to the
// list. One message in four that stands alone is sent (SendMessageTimeout)
// instead of posted; a sent WM_SETTINGCHANGE carries no text, as the platform
// would read a sent lParam as one. Left out are
// messages that ask the program to end or to run a modal loop of the
// platform's that only a person ends (closes to the form, a click on
// "Kapat" by stylus, key or command, Alt and F10 keys), and handle-bearing
// parameters (device contexts) that mean nothing in another process.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "../support/SeededRandom.h"

namespace {

const wchar_t Caption[] = L"GlideStrip Demo";
const DWORD HangMs = 30000;  // no message handled for this long: the demo hangs
const int MaxBatch = 2048;   // the most messages the generator makes in one go

void Print(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(std::strlen(line)), &written,
            nullptr);
}

bool ClassIs(HWND window, const wchar_t* name) {
  wchar_t text[64] = L"";
  GetClassNameW(window, text, 64);
  return lstrcmpiW(text, name) == 0;
}

bool TextIs(HWND window, const wchar_t* text) {
  wchar_t buffer[64] = L"";
  GetWindowTextW(window, buffer, 64);
  return lstrcmpW(buffer, text) == 0;
}

// The demo's windows as another program sees them.
struct TDemo {
  DWORD Pid = 0;
  DWORD Thread = 0;
  HANDLE Process = nullptr;
  HWND Form = nullptr;
  HWND Button = nullptr;
  HWND Panel = nullptr;
  HWND Timer = nullptr;  // null while the demo has none
  HWND Bar = nullptr;
  std::set<HWND> Boxes;  // the message boxes open now

  bool Find() {
    Form = FindWindowW(L"Form", Caption);
    if (Form == nullptr) return false;
    Thread = GetWindowThreadProcessId(Form, &Pid);
    Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, Pid);
    for (HWND child = GetWindow(Form, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if (IsKapat(child))
        Button = child;
      else if (ClassIs(child, L"Static"))
        Panel = child;
    }
    Refresh();
    return Process != nullptr && Button != nullptr && Panel != nullptr;
  }

  // The top-level windows of the demo's thread come and go: the timer
  // window with the glides, the boxes with the double taps.
  void Refresh() {
    Timer = nullptr;
    Boxes.clear();
    EnumThreadWindows(Thread, &Collect, reinterpret_cast<LPARAM>(this));
  }

  // Whether the platform takes the value as the handle of "Kapat".
  static bool IsKapat(HWND window) {
    return window != nullptr && IsWindow(window) && ClassIs(window, L"Button") &&
           TextIs(window, L"Kapat");
  }

  bool Ended() const { return WaitForSingleObject(Process, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(Process, &code);
    return code;
  }

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM data) {
    TDemo* self = reinterpret_cast<TDemo*>(data);
    if (ClassIs(window, L"TWND"))
      self->Timer = window;
    else if (ClassIs(window, L"GlideStripSoftKeyBar"))
      self->Bar = window;
    else if (ClassIs(window, L"#32770") && TextIs(window, Caption))
      self->Boxes.insert(window);
    return TRUE;
  }
};

struct TMessage {
  HWND Target;
  const char* Name;  // the target's, for the report
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  bool Sent = false;  // sent and waited for, not posted
};

// The messages posted since the last fence, for the report of a crash or a hang.
class THistory {
 public:
  void Add(long long index, const TMessage& m) {
    Entries[Next % Size] = {index, m};
    ++Next;
  }
  // The messages from index from on, as far as they are kept.
  void Print(long long from) const {
    long long first = Next > Size ? Next - Size : 0;
    for (long long i = first; i < Next; ++i) {
      if (Entries[i % Size].Index < from) continue;
      const TEntry& e = Entries[i % Size];
      ::Print("  #%lld %s %s 0x%04X wParam 0x%llX lParam 0x%llX\n", e.Index, e.Message.Name,
              e.Message.Sent ? "sent" : "msg", e.Message.Msg,
              static_cast<unsigned long long>(e.Message.WParam),
              static_cast<unsigned long long>(e.Message.LParam));
    }
  }

 private:
  struct TEntry {
    long long Index;
    TMessage Message;
  };
  static const long long Size = 4096;  // more than a fence's worth
  TEntry Entries[Size] = {};
  long long Next = 0;
};

// Kinds a run may leave out, to tell which one a failing seed needs.
enum TKind : unsigned { kTimerClose = 1, kDoubleClickFlood = 2, kSend = 4, kStylusHold = 8 };

class TFuzzer {
 public:
  TFuzzer(uint64_t seed, TDemo& demo, unsigned without)
      : Random(seed), Demo(demo), Without(without) {}

  // Writes the next message, or the next few of a gesture or a flood (at
  // most MaxBatch), to out; returns how many.
  int Next(TMessage* out) {
    int n = Generate(out);
    // A message that stands alone may be sent instead: the demo handles it
    // while its thread waits in its loop or in a message box.
    if (n == 1 && !(Without & kSend) && Random.OneIn(4)) {
      out[0].Sent = true;
      if (out[0].Msg == WM_SETTINGCHANGE) out[0].LParam = 0;
    }
    return n;
  }

 private:
  int Generate(TMessage* out) {
    uint32_t group = Random.Below(1000);
    if (group < 300) return Stylus(out);                      // the list's panel
    if (group < 340) return Gesture(out);                     // flick, slow drag, tap
    if (group < 356) return DoubleClicks(out, 1);             // a double click to the list
    if (group < 358) {  // a flood of them, now and then one of a thousand or so
      uint32_t count = Random.OneIn(8) ? 500 + Random.Below(1500) : 2 + Random.Below(30);
      return DoubleClicks(out, Without & kDoubleClickFlood ? 1 : count);
    }
    if (group < 450) return OtherMouse(out);
    if (group < 550) return Key(out);
    if (group < 600) return Focus(out);
    if (group < 650) return Size(out);
    if (group < 710) return Paint(out);
    if (group < 850) return Timer(out);
    if (group < 930) return Command(out);
    if (group < 955) return Mode(out);
    if (group < 970) return Destruction(out);
    if (group < 980) return Settings(out);
    if (Demo.Timer != nullptr && !(Without & kTimerClose)) {  // a close to the hidden timer window
      out[0] = {Demo.Timer, "timer", WM_CLOSE, 0, 0};
      return 1;
    }
    return Timer(out);
  }

  // Mostly on the panel, sometimes anywhere a 16-bit coordinate reaches.
  LPARAM Point() {
    static const int extremes[] = {-32768, -1, 0, 1, 239, 240, 255, 256, 32767};
    int x = Random.OneIn(10) ? Random.Pick(extremes) : static_cast<int>(Random.Below(240));
    int y = Random.OneIn(10) ? Random.Pick(extremes) : static_cast<int>(Random.Below(256));
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
  }
  WPARAM Buttons() {
    static const WPARAM states[] = {0, MK_LBUTTON, MK_LBUTTON, MK_RBUTTON, MK_SHIFT | MK_LBUTTON,
                                    MK_CONTROL, 0xFFFF};
    return Random.Pick(states);
  }
  uint64_t Word() {
    static const uint64_t extremes[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000,
                                        0xFFFFFFFF, ~0ull};
    switch (Random.Below(3)) {
      case 0: return Random.Pick(extremes);
      case 1: return Random.Below(1000);
      default: return Random.Next();
    }
  }
  // A window parameter: one of the demo's, none, or one no window has.
  HWND Handle() {
    switch (Random.Below(8)) {
      case 0: return Demo.Form;
      case 1: return Demo.Button;
      case 2: return Demo.Panel;
      case 3: return Demo.Timer;
      case 4: return Demo.Bar;
      case 5: return GetDesktopWindow();
      case 6: return nullptr;
      default: return reinterpret_cast<HWND>(static_cast<UINT_PTR>(Word()));
    }
  }
  // Where a message without a fixed target goes.
  TMessage To(UINT msg, WPARAM w, LPARAM l) {
    switch (Random.Below(5)) {
      case 0: return {Demo.Form, "form", msg, w, l};
      case 1: return {Demo.Panel, "panel", msg, w, l};
      case 2:
        if (Demo.Timer != nullptr) return {Demo.Timer, "timer", msg, w, l};
        return {Demo.Panel, "panel", msg, w, l};
      case 3:
        if (Demo.Bar != nullptr) return {Demo.Bar, "bar", msg, w, l};
        return {Demo.Form, "form", msg, w, l};
      default: return {Demo.Button, "button", msg, w, l};
    }
  }

  int Stylus(TMessage* out) {
    static const UINT kinds[] = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN,
                                 WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN,
                                 WM_MOUSEWHEEL};
    UINT msg = Random.Pick(kinds);
    WPARAM w = msg == WM_MOUSEWHEEL ? MAKEWPARAM(0, static_cast<WORD>(Word())) : Buttons();
    out[0] = {Demo.Panel, "panel", msg, w, Point()};
    return 1;
  }

  // A stroke on the panel as a person makes it, posted in one go: a flick
  // (big last step, a glide follows), a slow drag (last step of a pixel or
  // two, no glide), or a tap.
  int Gesture(TMessage* out) {
    int x = static_cast<int>(Random.Below(240));
    int y = 20 + static_cast<int>(Random.Below(216));
    int n = 0;
    out[n++] = {Demo.Panel, "panel", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)};
    uint32_t kind = Random.Below(3);
    int steps = kind == 2 ? 0 : 2 + static_cast<int>(Random.Below(8));
    int dir = Random.OneIn(2) ? 1 : -1;
    for (int i = 0; i < steps; ++i) {
      int step = kind == 0 ? 10 + static_cast<int>(Random.Below(30)) : (i < steps - 2 ? 12 : 1);
      y += dir * step;
      out[n++] = {Demo.Panel, "panel", WM_MOUSEMOVE, MK_LBUTTON,
                  MAKELPARAM(x, static_cast<WORD>(y))};
    }
    out[n++] = {Demo.Panel, "panel", WM_LBUTTONUP, 0, MAKELPARAM(x, static_cast<WORD>(y))};
    return n;
  }

  int DoubleClicks(TMessage* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
      out[i] = {Demo.Panel, "panel", WM_LBUTTONDBLCLK, MK_LBUTTON, Point()};
    return static_cast<int>(count);
  }

  // The form and the bar get every stylus message; the button none that
  // would click it (a left button pressed and released over it).
  int OtherMouse(TMessage* out) {
    UINT msg = WM_MOUSEMOVE + Random.Below(11);
    WPARAM w = Buttons();
    if (Random.OneIn(3)) {
      static const UINT safe[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                                  WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEWHEEL};
      out[0] = {Demo.Button, "button", Random.Pick(safe), w & ~static_cast<WPARAM>(MK_LBUTTON),
                Point()};
    } else if (Random.OneIn(4) && Demo.Bar != nullptr) {
      out[0] = {Demo.Bar, "bar", msg, w, Point()};
    } else {
      out[0] = {Demo.Form, "form", msg, w, Point()};
    }
    return 1;
  }

  // Keys without Alt and F10, which open the platform's menu loop; no space
  // or Enter to the button, which would press it.
  int Key(TMessage* out) {
    static const UINT kinds[] = {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_DEADCHAR};
    static const WPARAM keys[] = {VK_RETURN, VK_ESCAPE, VK_TAB, VK_UP, VK_DOWN, VK_PRIOR,
                                  VK_NEXT, VK_HOME, VK_END, VK_DELETE, VK_BACK, VK_SHIFT,
                                  VK_CONTROL, 'A', 'Z', '0', VK_F1, VK_F5, 0, 0xFF};
    UINT msg = Random.Pick(kinds);
    WPARAM key = Random.Pick(keys);
    LPARAM l = static_cast<LPARAM>(Random.Next() & 0x7FFFFFFF);
    out[0] = To(msg, key, l);
    // Enter on "Kapat" presses it, as a keypad's action key does.
    if (out[0].Target == Demo.Button && key == VK_RETURN) out[0].WParam = VK_F5;
    return 1;
  }

  int Focus(TMessage* out) {
    static const UINT kinds[] = {WM_SETFOCUS, WM_KILLFOCUS};
    out[0] = To(Random.Pick(kinds), reinterpret_cast<WPARAM>(Handle()), 0);
    return 1;
  }

  int Size(TMessage* out) {
    WPARAM type = Random.Below(5);  // SIZE_RESTORED .. SIZE_MAXHIDE
    int w = Random.OneIn(4) ? static_cast<int>(Word() & 0xFFFF) : static_cast<int>(Random.Below(400));
    int h = Random.OneIn(4) ? static_cast<int>(Word() & 0xFFFF) : static_cast<int>(Random.Below(400));
    out[0] = To(WM_SIZE, type, MAKELPARAM(w, h));
    return 1;
  }

  int Paint(TMessage* out) {
    static const UINT kinds[] = {WM_PAINT, WM_PAINT, WM_ERASEBKGND, WM_NCPAINT};
    UINT msg = Random.Pick(kinds);
    // Device contexts and regions are the receiver's own: none at all here.
    out[0] = To(msg, msg == WM_NCPAINT ? 1 : 0, 0);
    return 1;
  }

  // Without a callback address: DispatchMessage would call it.
  int Timer(TMessage* out) {
    static const WPARAM ids[] = {0, 1, 2, 0x7FFF, 0xFFFFFFFF};
    WPARAM id = Random.OneIn(2) ? static_cast<WPARAM>(Word()) : Random.Pick(ids);
    if (Demo.Timer != nullptr && Random.Below(3) != 0)
      out[0] = {Demo.Timer, "timer", WM_TIMER, id, 0};
    else
      out[0] = To(WM_TIMER, id, 0);
    return 1;
  }

  // Commands with random identifiers and codes, naming any window as their
  // sender, except the one that is "Kapat" being clicked.
  int Command(TMessage* out) {
    static const WORD codes[] = {BN_CLICKED, BN_SETFOCUS, BN_KILLFOCUS, STN_CLICKED, STN_DBLCLK,
                                 1, 5, 0xFFFF};
    WORD code = Random.OneIn(3) ? static_cast<WORD>(Random.Next()) : Random.Pick(codes);
    WORD id = static_cast<WORD>(Random.OneIn(2) ? Random.Below(4) : Random.Next());
    HWND sender = Handle();
    // "Kapat" clicked is a request to end the program, whichever name of the
    // button it comes under. The platform decides which values name it: a
    // handle's low word alone does, and under Wine so does that word with its
    // lowest bit flipped. So the platform is asked, not the bits compared.
    if (code == BN_CLICKED && Demo.IsKapat(sender)) code = BN_SETFOCUS;
    out[0] = To(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(sender));
    return 1;
  }

  // Capture lost, modes cancelled, activation and enabling news.
  int Mode(TMessage* out) {
    static const UINT kinds[] = {WM_CAPTURECHANGED, WM_CANCELMODE, WM_ACTIVATE, WM_ENABLE};
    UINT msg = Random.Pick(kinds);
    WPARAM w = msg == WM_ACTIVATE ? Random.Below(3) : msg == WM_ENABLE ? Random.Below(2) : 0;
    LPARAM l = msg == WM_CAPTURECHANGED || msg == WM_ACTIVATE
                   ? reinterpret_cast<LPARAM>(Handle())
                   : 0;
    out[0] = To(msg, w, l);
    return 1;
  }

  // WM_DESTROY and WM_NCDESTROY that no DestroyWindow sent, to any window.
  int Destruction(TMessage* out) {
    static const UINT kinds[] = {WM_DESTROY, WM_NCDESTROY};
    out[0] = To(Random.Pick(kinds), static_cast<WPARAM>(Word()), static_cast<LPARAM>(Word()));
    return 1;
  }

  // Setting and display news with parameters of any value; a posted
  // WM_SETTINGCHANGE's lParam names nothing in the demo's process.
  int Settings(TMessage* out) {
    static const WPARAM actions[] = {0, SPI_SETWHEELSCROLLLINES, SPI_SETWORKAREA, 0x2F, 0xFFFF};
    if (Random.OneIn(2))
      out[0] = To(WM_SETTINGCHANGE, Random.Pick(actions), static_cast<LPARAM>(Word()));
    else
      out[0] = To(WM_DISPLAYCHANGE, static_cast<WPARAM>(Word()), static_cast<LPARAM>(Word()));
    return 1;
  }

  TRandom Random;
  TDemo& Demo;
  unsigned Without;
};

// The stylus pressed or lifted for real, in the middle of the list, through
// the platform's input queue: the demo sees a held stylus while the other
// messages arrive.
void PressStylus(const TDemo& demo, bool down) {
  if (down) {
    RECT rect = {};
    GetWindowRect(demo.Panel, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof(input));
}

size_t MostBoxesOpen = 0;  // at any one look

// Presses OK on every open box of the demo's; returns how many it pressed.
// A box nested in another ends first, so a box may be pressed again later.
int AnswerBoxes(TDemo& demo, std::set<HWND>& answered) {
  demo.Refresh();
  if (demo.Boxes.size() > MostBoxesOpen) MostBoxesOpen = demo.Boxes.size();
  for (HWND box : demo.Boxes) {
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    answered.insert(box);
  }
  return static_cast<int>(demo.Boxes.size());
}

enum TFenceResult { frPassed, frEnded, frHung, frFailed };

// Waits until the demo has handled everything posted before. The bar's
// stand-in has the platform's default window procedure, which clears the
// window's visible style on WM_SETREDRAW FALSE: posted behind the rest, the
// bar turns invisible once the demo's queue has got that far. Sent back
// visible and repainted afterwards. Without a bar, a sent message waits for
// the demo's thread to answer at all.
TFenceResult Fence(TDemo& demo, std::set<HWND>& answered) {
  DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  if (demo.Bar == nullptr || !(GetWindowLongW(demo.Bar, GWL_STYLE) & WS_VISIBLE)) {
    if (!SendMessageTimeoutW(demo.Form, WM_NULL, 0, 0, SMTO_NORMAL, HangMs, &result))
      return demo.Ended() ? frEnded : frHung;
    Sleep(20);
    return frPassed;
  }
  PostMessageW(demo.Bar, WM_SETREDRAW, FALSE, 0);
  DWORD waited = 0;
  size_t boxes = 0;
  while (GetWindowLongW(demo.Bar, GWL_STYLE) & WS_VISIBLE) {
    if (demo.Ended()) return frEnded;
    waited = GetTickCount() - start;
    if (waited > HangMs) return frHung;
    // A box opened meanwhile runs its own loop, which handles the rest too;
    // a demo that still opens or closes boxes is not hanging.
    if (waited > 1000) {
      AnswerBoxes(demo, answered);
      if (demo.Boxes.size() != boxes) start = GetTickCount();
      boxes = demo.Boxes.size();
    }
    Sleep(waited < 20 ? 0 : 2);
  }
  SendMessageTimeoutW(demo.Bar, WM_SETREDRAW, TRUE, 0, SMTO_NORMAL, HangMs, &result);
  RedrawWindow(demo.Bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  return demo.Ended() ? frEnded : frPassed;
}

// Where a run went wrong: the demo had handled everything before the last
// fence, so the fault lies among the messages posted since.
struct TRunPosition {
  uint64_t Seed = 0;
  long long Index = 0;           // messages posted so far
  long long LastFence = 0;       // all before this one were handled
  long long LastTimerClose = -1;
};

void Report(TDemo& demo, TFenceResult how, const TRunPosition& at, const THistory& history) {
  if (how == frEnded)
    Print("fuzz: the demo ended with exit code 0x%08lX", demo.ExitCode());
  else
    Print("fuzz: the demo handled nothing for %lu ms", HangMs);
  Print(" among messages #%lld to #%lld (seed 0x%llX)\n", at.LastFence, at.Index - 1,
        static_cast<unsigned long long>(at.Seed));
  if (at.LastTimerClose >= 0)
    Print("fuzz: the last close to the timer window was message #%lld\n", at.LastTimerClose);
  Print("fuzz: the messages posted since:\n");
  history.Print(at.LastFence);
}

// What a run counted, printed whether it passed or not.
struct TRunFigures {
  long long Posted = 0, Sent = 0, SendTimeouts = 0, Refused = 0, Fences = 0, TimerCloses = 0;
  long long HeldMessages = 0;  // delivered while the stylus was held down
  bool ListClosed = false;
  std::set<HWND> Answered;  // every box pressed, once
  std::set<HWND> Timers;    // every timer window seen
};

// Closes the list's window from outside while it has the focus; from then
// on what was meant for the list goes to the form.
bool CloseFocusedList(TDemo& demo, TRunFigures& figures) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(demo.Thread, &info) || info.hwndFocus != demo.Panel) {
    Print("fuzz: the list does not have the focus (focus 0x%llX)\n",
          static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(info.hwndFocus)));
    return false;
  }
  PostMessageW(demo.Panel, WM_CLOSE, 0, 0);
  if (Fence(demo, figures.Answered) != frPassed || IsWindow(demo.Panel)) {
    Print("fuzz: the list's window is still there after WM_CLOSE\n");
    return false;
  }
  figures.ListClosed = true;
  demo.Panel = demo.Form;
  return true;
}

int Run(uint64_t seed, long long count, unsigned without, bool closeList) {
  TDemo demo;
  if (!demo.Find()) {
    Print("fuzz: no running demo found (a form \"GlideStrip Demo\" with \"Kapat\" and a panel)\n");
    return 2;
  }
  DWORD start = GetTickCount();
  TRunPosition at;
  at.Seed = seed;
  TFuzzer fuzzer(seed, demo, without);
  TRandom pacing(seed ^ 0xFACE);
  static THistory history;  // large: not on the stack
  TRunFigures figures;
  TFenceResult how = frPassed;
  int open = 0;
  long long& index = at.Index;
  long long nextFence = 0;
  static TMessage batch[MaxBatch];
  if (closeList && !CloseFocusedList(demo, figures)) how = frFailed;
  // Held over the list for the middle third of the run.
  const bool hold = !(without & kStylusHold) && !figures.ListClosed;
  bool held = false;
  while (figures.Posted + figures.Sent < count && how == frPassed) {
    const long long done = figures.Posted + figures.Sent;
    if (hold && !held && done >= count / 3 && done < 2 * count / 3) {
      PressStylus(demo, true);
      held = true;
    } else if (held && done >= 2 * count / 3) {
      PressStylus(demo, false);
      held = false;
    }
    if (index >= nextFence) {
      how = Fence(demo, figures.Answered);
      if (how != frPassed) break;
      ++figures.Fences;
      at.LastFence = index;
      AnswerBoxes(demo, figures.Answered);  // refreshes the windows too
      if (demo.Timer != nullptr) figures.Timers.insert(demo.Timer);
      // Up to a few hundred messages queue up between two fences.
      nextFence = index + 32 + pacing.Below(256);
    }
    int n = fuzzer.Next(batch);
    for (int i = 0; i < n && figures.Posted + figures.Sent < count; ++i, ++index) {
      const TMessage& m = batch[i];
      history.Add(index, m);
      bool delivered = false;
      if (m.Sent) {
        DWORD_PTR answer = 0;
        // Briefly: a sent double click may open a box, whose loop then runs
        // inside the sent message until the next fence answers it.
        delivered = SendMessageTimeoutW(m.Target, m.Msg, m.WParam, m.LParam,
                                        SMTO_NORMAL | SMTO_ABORTIFHUNG, 500, &answer) != 0;
        if (!delivered && IsWindow(m.Target)) {
          ++figures.SendTimeouts;
          delivered = true;  // it reached the demo, which is busy with it
        }
        if (delivered) ++figures.Sent;
      } else if (PostMessageW(m.Target, m.Msg, m.WParam, m.LParam)) {
        delivered = true;
        ++figures.Posted;
      }
      if (held) ++figures.HeldMessages;
      if (delivered) {
        if (m.Msg == WM_CLOSE) {
          ++figures.TimerCloses;
          at.LastTimerClose = index;
        }
      } else {
        // The window went meanwhile (a closed timer window): not counted,
        // and the next messages go to the windows there are now.
        ++figures.Refused;
        demo.Refresh();
      }
    }
  }
  if (held) PressStylus(demo, false);
  // Every box answered, the last ones too: the run ends with none open.
  for (int round = 0; round < 50 && how == frPassed; ++round) {
    how = Fence(demo, figures.Answered);
    if (how != frPassed) break;
    ++figures.Fences;
    at.LastFence = index;
    open = AnswerBoxes(demo, figures.Answered);
    if (open == 0) break;
  }
  if (how != frPassed && how != frFailed) Report(demo, how, at, history);
  if (how == frPassed && open != 0)
    Print("fuzz: %d message boxes still open after the run (seed 0x%llX)\n", open,
          static_cast<unsigned long long>(seed));
  Print("fuzz.seed: 0x%llX\n", static_cast<unsigned long long>(seed));
  Print("fuzz.messages_posted: %lld\n", figures.Posted);
  Print("fuzz.messages_sent: %lld\n", figures.Sent);
  Print("fuzz.sends_timed_out: %lld\n", figures.SendTimeouts);
  Print("fuzz.messages_with_stylus_held: %lld\n", figures.HeldMessages);
  Print("fuzz.list_closed: %d\n", figures.ListClosed ? 1 : 0);
  Print("fuzz.messages_refused: %lld\n", figures.Refused);
  Print("fuzz.message_boxes_answered: %lld\n", static_cast<long long>(figures.Answered.size()));
  Print("fuzz.most_message_boxes_open: %lld\n", static_cast<long long>(MostBoxesOpen));
  Print("fuzz.timer_window_closes: %lld\n", figures.TimerCloses);
  Print("fuzz.timer_windows_seen: %lld\n", static_cast<long long>(figures.Timers.size()));
  Print("fuzz.fences: %lld\n", figures.Fences);
  Print("fuzz.seconds: %.1f\n", (GetTickCount() - start) / 1000.0);
  return how == frPassed && open == 0 ? 0 : 1;
}

double Ms(const FILETIME& kernel, const FILETIME& user) {
  ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
  ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
  return static_cast<double>(k.QuadPart + u.QuadPart) / 10000.0;  // 100 ns units
}

// The processor time of all the demo's threads. Wine answers GetProcessTimes
// for the calling process only; its GetThreadTimes reads any thread's.
double CpuMs(const TDemo& demo) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  double total = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != demo.Pid) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    FILETIME created, exited, kernel, user;
    if (thread != nullptr && GetThreadTimes(thread, &created, &exited, &kernel, &user))
      total += Ms(kernel, user);
    if (thread != nullptr) CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return total;
}

int Idle(DWORD ms) {
  TDemo demo;
  demo.Find();  // the list may have been closed: the process is enough
  if (demo.Process == nullptr) {
    Print("fuzz: no running demo found\n");
    return 2;
  }
  double before = CpuMs(demo);
  Sleep(ms);
  double after = CpuMs(demo);
  if (before < 0 || after < 0 || demo.Ended()) {
    Print("fuzz: the demo's processor time could not be read\n");
    return 2;
  }
  Print("idle.window_ms: %lu\n", ms);
  Print("idle.cpu_ms: %.1f\n", after - before);
  Print("idle.cpu_percent: %.2f\n", (after - before) * 100.0 / ms);
  return 0;
}

int Windows() {
  TDemo demo;
  if (!demo.Find()) return 2;
  const HWND windows[] = {demo.Form, demo.Button, demo.Panel, demo.Timer, demo.Bar};
  const char* const names[] = {"form", "button", "panel", "timer", "bar"};
  for (int i = 0; i < 5; ++i)
    Print("%s\t0x%08llX\n", names[i], static_cast<unsigned long long>(
                                           reinterpret_cast<UINT_PTR>(windows[i])));
  for (HWND box : demo.Boxes)
    Print("box\t0x%08llX\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(box)));
  return 0;
}

int Boxes() {
  TDemo demo;
  if (!demo.Find()) return 2;
  std::set<HWND> answered;
  Print("boxes.answered: %d\n", AnswerBoxes(demo, answered));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"run" && argc > 3) {
    unsigned without = 0;
    bool closeList = false;
    for (int i = 4; i < argc; ++i) {
      std::wstring kind = argv[i];
      if (kind == L"--without-timer-close")
        without |= kTimerClose;
      else if (kind == L"--without-double-click-flood")
        without |= kDoubleClickFlood;
      else if (kind == L"--without-send")
        without |= kSend;
      else if (kind == L"--without-stylus-hold")
        without |= kStylusHold;
      else if (kind == L"--close-focused-list")
        closeList = true;
    }
    return Run(wcstoull(argv[2], nullptr, 0), wcstoll(argv[3], nullptr, 0), without, closeList);
  }
  if (command == L"idle" && argc > 2) return Idle(wcstoul(argv[2], nullptr, 0));
  if (command == L"boxes") return Boxes();
  if (command == L"windows") return Windows();
  Print("usage: fuzz run SEED COUNT [--without-timer-close] [--without-double-click-flood]\n"
        "                [--without-send] [--without-stylus-hold] [--close-focused-list]\n"
        "       fuzz idle MS | fuzz boxes | fuzz windows\n");
  return 2;
}
