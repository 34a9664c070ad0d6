#include "bench/CallProfile.h"

#include <algorithm>
#include <cstdio>

#include "bench/Measure.h"

TCallProfile* TCallProfile::Active = nullptr;

namespace {

template <auto Slot>
struct TTimingThunk;

template <typename R, typename... A, R(WINAPI* TPlatformApi::*Slot)(A...)>
struct TTimingThunk<Slot> {
  static inline R(WINAPI* Forward)(A...) = nullptr;
  static inline size_t Index = 0;
  static R WINAPI Call(A... args) {
    double start = NowMs();
    // Time spent in nested wrapped calls is counted in both, as a profiler's
    // inclusive time is.
    if constexpr (std::is_void_v<R>) {
      Forward(args...);
      Tally(start);
    } else {
      R result = Forward(args...);
      Tally(start);
      return result;
    }
  }
  static void Tally(double start) {
    double elapsed = NowMs() - start;
    if (TCallProfile::Active == nullptr) return;
    TCallTally& tally = TCallProfile::Active->Tallies[Index];
    ++tally.Calls;
    tally.Ms += elapsed;
  }
};

// SelectObject is tallied per kind of object as well: selecting a bitmap, a
// font, a pen or a brush costs the platform very different amounts.
HGDIOBJ(WINAPI* ForwardSelect)(HDC, HGDIOBJ) = nullptr;
size_t SelectKinds = 0;  // the first of the per-kind tallies

HGDIOBJ WINAPI TimedSelect(HDC dc, HGDIOBJ object) {
  DWORD type = GetObjectType(object);
  double start = NowMs();
  HGDIOBJ result = ForwardSelect(dc, object);
  double elapsed = NowMs() - start;
  if (TCallProfile::Active != nullptr) {
    size_t kind = type == OBJ_BITMAP ? 0 : type == OBJ_FONT ? 1 : type == OBJ_PEN ? 2 : 3;
    TCallTally& tally = TCallProfile::Active->Tallies[SelectKinds + kind];
    ++tally.Calls;
    tally.Ms += elapsed;
  }
  return result;
}

}  // namespace

template <auto Slot>
void TCallProfile::Wrap(const char* name) {
  typedef TTimingThunk<Slot> Thunk;
  auto saved = Api.*Slot;
  Thunk::Forward = saved;
  Thunk::Index = Tallies.size();
  Tallies.push_back(TCallTally{name, 0, 0});
  Api.*Slot = &Thunk::Call;
  Restorers.push_back([saved]() { Api.*Slot = saved; });
}

#define WRAP(entry) Wrap<&TPlatformApi::entry>(#entry)

TCallProfile::TCallProfile() {
  Active = this;
  // Every entry of the table, in its order; SelectObject per kind of object.
  WRAP(RegisterClassW);
  WRAP(GetClassInfoW);
  WRAP(CreateWindowExW);
  WRAP(DestroyWindow);
  WRAP(IsWindow);
  WRAP(DefWindowProcW);
  WRAP(CallWindowProcW);
  WRAP(SetWindowLongPtrW);
  WRAP(SetPropW);
  WRAP(GetPropW);
  WRAP(RemovePropW);
  WRAP(GetMessageW);
  WRAP(PeekMessageW);
  WRAP(TranslateMessage);
  WRAP(DispatchMessageW);
  WRAP(PostMessageW);
  WRAP(SendMessageW);
  WRAP(PostQuitMessage);
  WRAP(ShowWindow);
  WRAP(SetWindowPos);
  WRAP(GetWindowRect);
  WRAP(GetClientRect);
  WRAP(ClientToScreen);
  WRAP(SetParent);
  WRAP(IsWindowEnabled);
  WRAP(InvalidateRect);
  WRAP(SetFocus);
  WRAP(GetFocus);
  WRAP(SetForegroundWindow);
  WRAP(GetKeyState);
  WRAP(SetCapture);
  WRAP(ReleaseCapture);
  WRAP(GetCapture);
  WRAP(BeginPaint);
  WRAP(EndPaint);
  WRAP(GetUpdateRgn);
  WRAP(CreateRectRgn);
  WRAP(GetDC);
  WRAP(ReleaseDC);
  WRAP(CreateCompatibleDC);
  WRAP(DeleteDC);
  WRAP(CreateCompatibleBitmap);
  SelectKinds = Tallies.size();
  for (const char* kind : {"SelectObject(bitmap)", "SelectObject(font)", "SelectObject(pen)",
                           "SelectObject(brush)"})
    Tallies.push_back(TCallTally{kind, 0, 0});
  ForwardSelect = Api.SelectObject;
  Api.SelectObject = TimedSelect;
  Restorers.push_back([]() { Api.SelectObject = ForwardSelect; });
  WRAP(DeleteObject);
  WRAP(GetStockObject);
  WRAP(CreateSolidBrush);
  WRAP(CreateFontIndirectW);
  WRAP(CreatePenIndirect);
  WRAP(GetSysColor);
  WRAP(SetBkColor);
  WRAP(SetBkMode);
  WRAP(SetTextColor);
  WRAP(SetROP2);
  WRAP(SetBrushOrgEx);
  WRAP(MoveToEx);
  WRAP(LineTo);
  WRAP(Rectangle);
  WRAP(DrawTextW);
  WRAP(FillRect);
  WRAP(GetClipBox);
  WRAP(BitBlt);
  WRAP(SetRect);
  WRAP(OffsetRect);
  WRAP(InflateRect);
  WRAP(SetTimer);
  WRAP(KillTimer);
  WRAP(GetTickCount);
  WRAP(SystemParametersInfoW);
  WRAP(GetLastError);
  WRAP(GetSystemMetrics);
  WRAP(MessageBoxW);
  WRAP(MultiByteToWideChar);
  WRAP(GetModuleHandleW);
  WRAP(SHCreateMenuBar);
  WRAP(SHHandleWMSettingChange);
  WRAP(SHHandleWMActivate);
}

TCallProfile::~TCallProfile() {
  for (auto it = Restorers.rbegin(); it != Restorers.rend(); ++it) (*it)();
  if (Active == this) Active = nullptr;
}

long long TCallProfile::Total() const {
  long long total = 0;
  for (const TCallTally& tally : Tallies) total += tally.Calls;
  return total;
}

long long TCallProfile::Count(const char* name) const {
  for (const TCallTally& tally : Tallies)
    if (std::string(tally.Name) == name) return tally.Calls;
  return 0;
}

void TCallProfile::Print(const std::string& name, int runs) const {
  if (runs < 1) runs = 1;
  ReportCount(name + "_platform_calls", Total() / runs, "calls");
  std::vector<TCallTally> sorted;
  for (const TCallTally& tally : Tallies)
    if (tally.Calls > 0) sorted.push_back(tally);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TCallTally& a, const TCallTally& b) { return a.Ms > b.Ms; });
  std::string line;
  for (const TCallTally& tally : sorted) {
    char entry[96];
    std::snprintf(entry, sizeof(entry), "%s %lld (%.4f)", tally.Name, tally.Calls / runs,
                  tally.Ms / runs);
    if (!line.empty()) line += ", ";
    line += entry;
  }
  // Inclusive times: a call that sends messages counts what their handling calls too.
  Note(name + " per run, inclusive ms: " + line);
}
