#include "platform/HandleAccounting.h"

#include <map>
#include <set>
#include <utility>

#include "platform/Platform.h"

namespace {

struct TAccounting {
  bool Active = false;
  TPlatformApi Saved = {};  // the entries accounting forwards to
  long Created[hkKindCount] = {};
  long Released[hkKindCount] = {};
  std::set<HWND> Windows;
  std::map<HGDIOBJ, THandleKind> Objects;  // GDI objects and DCs made through the table
  std::set<std::pair<HWND, UINT_PTR>> Timers;
};

TAccounting& State() {
  static TAccounting state;
  return state;
}

void Created(THandleKind kind, HGDIOBJ handle) {
  if (handle == nullptr) return;
  TAccounting& s = State();
  ++s.Created[kind];
  s.Objects[handle] = kind;
}

// Counts a release only for a handle this table made, through the call that
// matches its kind: DeleteObject for GDI objects, the DC calls for DCs.
void Released(HGDIOBJ handle, bool releasingDC) {
  TAccounting& s = State();
  auto it = s.Objects.find(handle);
  if (it == s.Objects.end()) return;
  bool isDC = it->second == hkWindowDC || it->second == hkMemoryDC || it->second == hkPaintDC;
  if (isDC != releasingDC) return;
  ++s.Released[it->second];
  s.Objects.erase(it);
}

HWND WINAPI CountCreateWindowExW(DWORD ex, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y,
                                 int w, int h, HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
  HWND wnd = State().Saved.CreateWindowExW(ex, cls, name, style, x, y, w, h, parent, menu, inst, param);
  if (wnd != nullptr) {
    ++State().Created[hkWindow];
    State().Windows.insert(wnd);
  }
  return wnd;
}

HBRUSH WINAPI CountCreateSolidBrush(COLORREF color) {
  HBRUSH brush = State().Saved.CreateSolidBrush(color);
  Created(hkBrush, brush);
  return brush;
}

HFONT WINAPI CountCreateFontIndirectW(const LOGFONTW* font) {
  HFONT handle = State().Saved.CreateFontIndirectW(font);
  Created(hkFont, handle);
  return handle;
}

HPEN WINAPI CountCreatePenIndirect(const LOGPEN* pen) {
  HPEN handle = State().Saved.CreatePenIndirect(pen);
  Created(hkPen, handle);
  return handle;
}

HBITMAP WINAPI CountCreateCompatibleBitmap(HDC dc, int w, int h) {
  HBITMAP handle = State().Saved.CreateCompatibleBitmap(dc, w, h);
  Created(hkBitmap, handle);
  return handle;
}

HRGN WINAPI CountCreateRectRgn(int l, int t, int r, int b) {
  HRGN handle = State().Saved.CreateRectRgn(l, t, r, b);
  Created(hkRegion, handle);
  return handle;
}

BOOL WINAPI CountDeleteObject(HGDIOBJ handle) {
  // Counted before the call: once deleted, the handle value may be reused at once.
  Released(handle, false);
  return State().Saved.DeleteObject(handle);
}

HDC WINAPI CountGetDC(HWND wnd) {
  HDC dc = State().Saved.GetDC(wnd);
  Created(hkWindowDC, dc);
  return dc;
}

int WINAPI CountReleaseDC(HWND wnd, HDC dc) {
  Released(dc, true);
  return State().Saved.ReleaseDC(wnd, dc);
}

HDC WINAPI CountCreateCompatibleDC(HDC dc) {
  HDC handle = State().Saved.CreateCompatibleDC(dc);
  Created(hkMemoryDC, handle);
  return handle;
}

BOOL WINAPI CountDeleteDC(HDC dc) {
  Released(dc, true);
  return State().Saved.DeleteDC(dc);
}

HDC WINAPI CountBeginPaint(HWND wnd, LPPAINTSTRUCT paint) {
  HDC dc = State().Saved.BeginPaint(wnd, paint);
  Created(hkPaintDC, dc);
  return dc;
}

BOOL WINAPI CountEndPaint(HWND wnd, const PAINTSTRUCT* paint) {
  if (paint != nullptr) Released(paint->hdc, true);
  return State().Saved.EndPaint(wnd, paint);
}

UINT_PTR WINAPI CountSetTimer(HWND wnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  UINT_PTR result = State().Saved.SetTimer(wnd, id, elapse, proc);
  // SetTimer with the identifier of a running timer replaces it: count it once.
  if (result != 0 && State().Timers.insert({wnd, wnd != nullptr ? id : result}).second)
    ++State().Created[hkTimer];
  return result;
}

BOOL WINAPI CountKillTimer(HWND wnd, UINT_PTR id) {
  BOOL result = State().Saved.KillTimer(wnd, id);
  if (State().Timers.erase({wnd, id}) != 0) ++State().Released[hkTimer];
  return result;
}

}  // namespace

const char* HandleKindName(THandleKind kind) {
  static const char* const names[hkKindCount] = {"window", "brush",    "font",     "pen",     "bitmap",
                                                 "region", "window_dc", "memory_dc", "paint_dc", "timer"};
  return kind >= 0 && kind < hkKindCount ? names[kind] : "?";
}

void StartHandleAccounting() {
  TAccounting& s = State();
  if (s.Active) StopHandleAccounting();
  s = TAccounting();
  s.Saved = Api;
  s.Active = true;
  Api.CreateWindowExW = CountCreateWindowExW;
  Api.CreateSolidBrush = CountCreateSolidBrush;
  Api.CreateFontIndirectW = CountCreateFontIndirectW;
  Api.CreatePenIndirect = CountCreatePenIndirect;
  Api.CreateCompatibleBitmap = CountCreateCompatibleBitmap;
  Api.CreateRectRgn = CountCreateRectRgn;
  Api.DeleteObject = CountDeleteObject;
  Api.GetDC = CountGetDC;
  Api.ReleaseDC = CountReleaseDC;
  Api.CreateCompatibleDC = CountCreateCompatibleDC;
  Api.DeleteDC = CountDeleteDC;
  Api.BeginPaint = CountBeginPaint;
  Api.EndPaint = CountEndPaint;
  Api.SetTimer = CountSetTimer;
  Api.KillTimer = CountKillTimer;
}

void StopHandleAccounting() {
  TAccounting& s = State();
  if (!s.Active) return;
  Api.CreateWindowExW = s.Saved.CreateWindowExW;
  Api.CreateSolidBrush = s.Saved.CreateSolidBrush;
  Api.CreateFontIndirectW = s.Saved.CreateFontIndirectW;
  Api.CreatePenIndirect = s.Saved.CreatePenIndirect;
  Api.CreateCompatibleBitmap = s.Saved.CreateCompatibleBitmap;
  Api.CreateRectRgn = s.Saved.CreateRectRgn;
  Api.DeleteObject = s.Saved.DeleteObject;
  Api.GetDC = s.Saved.GetDC;
  Api.ReleaseDC = s.Saved.ReleaseDC;
  Api.CreateCompatibleDC = s.Saved.CreateCompatibleDC;
  Api.DeleteDC = s.Saved.DeleteDC;
  Api.BeginPaint = s.Saved.BeginPaint;
  Api.EndPaint = s.Saved.EndPaint;
  Api.SetTimer = s.Saved.SetTimer;
  Api.KillTimer = s.Saved.KillTimer;
  s.Active = false;
}

bool HandleAccountingActive() { return State().Active; }

THandleCounts CurrentHandleCounts() {
  TAccounting& s = State();
  THandleCounts counts = {};
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
