#include "tests/support/HandleAccounting.h"

#include <map>
#include <set>
#include <utility>

#include "platform/Platform.h"
#include "tests/support/ApiLayer.h"

namespace {

// Counts what the creating and releasing entries make and release.
class TAccounting : public TApiLayer<TAccounting> {
 public:
  void Before(TApiCall& call);
  void After(TApiCall& call);

  long Created[hkKindCount] = {};
  long Released[hkKindCount] = {};
  std::set<HWND> Windows;
  std::map<HGDIOBJ, THandleKind> Objects;  // GDI objects and DCs made through the table
  std::set<std::pair<HWND, UINT_PTR>> Timers;

 private:
  void Made(THandleKind kind, uint64_t handle);
  void Gone(uint64_t handle, bool releasingDC);
};

// What each wrapped entry does to the counts; Wrap's tag is the row.
enum TAccountingRole {
  arMakes,           // the result is a new handle of Kind
  arDeletesObject,   // DeleteObject(object)
  arDeletesDC,       // DeleteDC(dc)
  arReleasesDC,      // ReleaseDC(wnd, dc)
  arEndsPaint,       // EndPaint(wnd, paint): paint->hdc
  arSetsTimer,
  arKillsTimer
};
struct TAccountingRow {
  TAccountingRole Role;
  THandleKind Kind;
};
const TAccountingRow Rows[] = {
    {arMakes, hkWindow},          {arMakes, hkBrush},        {arMakes, hkFont},
    {arMakes, hkPen},             {arMakes, hkBitmap},       {arMakes, hkRegion},
    {arDeletesObject, hkBrush},  {arMakes, hkWindowDC},     {arReleasesDC, hkWindowDC},
    {arMakes, hkMemoryDC},        {arDeletesDC, hkMemoryDC}, {arMakes, hkPaintDC},
    {arEndsPaint, hkPaintDC},     {arSetsTimer, hkTimer},    {arKillsTimer, hkTimer},
};

void TAccounting::Made(THandleKind kind, uint64_t handle) {
  if (handle == 0) return;
  ++Created[kind];
  if (kind == hkWindow)
    Windows.insert(CallHandle<HWND>(handle));
  else
    Objects[CallHandle<HGDIOBJ>(handle)] = kind;
}

// Counts a release only for a handle this table made, through the call that
// matches its kind: DeleteObject for GDI objects, the DC calls for DCs.
void TAccounting::Gone(uint64_t handle, bool releasingDC) {
  auto it = Objects.find(CallHandle<HGDIOBJ>(handle));
  if (it == Objects.end()) return;
  bool isDC = it->second == hkWindowDC || it->second == hkMemoryDC || it->second == hkPaintDC;
  if (isDC != releasingDC) return;
  ++Released[it->second];
  Objects.erase(it);
}

// Releases are counted before the call: once deleted, a handle value may be reused at once.
void TAccounting::Before(TApiCall& call) {
  switch (Rows[call.Tag].Role) {
    case arDeletesObject: Gone(call.Arg(0), false); break;
    case arDeletesDC: Gone(call.Arg(0), true); break;
    case arReleasesDC: Gone(call.Arg(1), true); break;
    case arEndsPaint: {
      const PAINTSTRUCT* paint = CallHandle<const PAINTSTRUCT*>(call.Arg(1));
      if (paint != nullptr) Gone(RecordedValue(paint->hdc), true);
      break;
    }
    default: break;
  }
}

void TAccounting::After(TApiCall& call) {
  const TAccountingRow& row = Rows[call.Tag];
  switch (row.Role) {
    case arMakes: Made(row.Kind, call.Result); break;
    case arSetsTimer: {
      // SetTimer with the identifier of a running timer replaces it: count it once.
      HWND wnd = CallHandle<HWND>(call.Arg(0));
      UINT_PTR id = wnd != nullptr ? static_cast<UINT_PTR>(call.Arg(1)) : static_cast<UINT_PTR>(call.Result);
      if (call.Result != 0 && Timers.insert({wnd, id}).second) ++Created[hkTimer];
      break;
    }
    case arKillsTimer:
      if (Timers.erase({CallHandle<HWND>(call.Arg(0)), static_cast<UINT_PTR>(call.Arg(1))}) != 0)
        ++Released[hkTimer];
      break;
    default: break;
  }
}

// The counts of the latest accounting, kept after it stops until the next starts.
TAccounting* Accounting = nullptr;
bool Counting = false;

}  // namespace

const char* HandleKindName(THandleKind kind) {
  static const char* const names[hkKindCount] = {"window", "brush",    "font",     "pen",     "bitmap",
                                                 "region", "window_dc", "memory_dc", "paint_dc", "timer"};
  return kind >= 0 && kind < hkKindCount ? names[kind] : "?";
}

void StartHandleAccounting() {
  StopHandleAccounting();
  delete Accounting;
  Accounting = new TAccounting();
  Counting = true;
  // In the order of Rows.
  Accounting->Wrap<&TPlatformApi::CreateWindowExW>("CreateWindowExW", 0);
  Accounting->Wrap<&TPlatformApi::CreateSolidBrush>("CreateSolidBrush", 1);
  Accounting->Wrap<&TPlatformApi::CreateFontIndirectW>("CreateFontIndirectW", 2);
  Accounting->Wrap<&TPlatformApi::CreatePenIndirect>("CreatePenIndirect", 3);
  Accounting->Wrap<&TPlatformApi::CreateCompatibleBitmap>("CreateCompatibleBitmap", 4);
  Accounting->Wrap<&TPlatformApi::CreateRectRgn>("CreateRectRgn", 5);
  Accounting->Wrap<&TPlatformApi::DeleteObject>("DeleteObject", 6);
  Accounting->Wrap<&TPlatformApi::GetDC>("GetDC", 7);
  Accounting->Wrap<&TPlatformApi::ReleaseDC>("ReleaseDC", 8);
  Accounting->Wrap<&TPlatformApi::CreateCompatibleDC>("CreateCompatibleDC", 9);
  Accounting->Wrap<&TPlatformApi::DeleteDC>("DeleteDC", 10);
  Accounting->Wrap<&TPlatformApi::BeginPaint>("BeginPaint", 11);
  Accounting->Wrap<&TPlatformApi::EndPaint>("EndPaint", 12);
  Accounting->Wrap<&TPlatformApi::SetTimer>("SetTimer", 13);
  Accounting->Wrap<&TPlatformApi::KillTimer>("KillTimer", 14);
}

// Puts the entries back as they were when accounting started.
void StopHandleAccounting() {
  if (Accounting != nullptr) Accounting->Unwrap();
  Counting = false;
}

bool HandleAccountingActive() { return Counting; }

THandleCounts CurrentHandleCounts() {
  THandleCounts counts = {};
  if (Accounting == nullptr) return counts;
  TAccounting& s = *Accounting;
  for (int k = 0; k < hkKindCount; ++k) {
    counts.Created[k] = s.Created[k];
    counts.Released[k] = s.Released[k];
  }
  // A window goes away with its parent or owner too, not only through DestroyWindow.
  for (HWND wnd : s.Windows)
    if (IsWindow(wnd)) ++counts.Alive[hkWindow];
  counts.Released[hkWindow] = counts.Created[hkWindow] - counts.Alive[hkWindow];
  for (const auto& entry : s.Objects) ++counts.Alive[entry.second];
  // The platform kills the timers of a window when the window is destroyed.
  for (const auto& timer : s.Timers)
    if (timer.first == nullptr || IsWindow(timer.first)) ++counts.Alive[hkTimer];
  counts.Released[hkTimer] = counts.Created[hkTimer] - counts.Alive[hkTimer];
  return counts;
}

std::string DescribeAliveHandles() {
  THandleCounts counts = CurrentHandleCounts();
  std::string text;
  for (int k = 0; k < hkKindCount; ++k) {
    if (!text.empty()) text += ' ';
    text += HandleKindName(static_cast<THandleKind>(k));
    text += '=';
    text += std::to_string(counts.Alive[k]);
  }
  return text;
}
