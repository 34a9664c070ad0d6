// A stand-in for the demo, written straight against Win32, that the
// end-to-end tooling is tried on: the same windows, sizes, colours and
// stylus behaviour as glidestrip.exe, in one file and no framework.
// Running the end-to-end script against it checks the script itself:
//
//   bash tests/e2e/run-e2e build/e2e/tests/e2e/e2e_standin.exe ...
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

const int BarHeight = 26;
const int ButtonHeight = 38;
const int RowHeight = 50;
const int RowCount = 101;
const int MaxSpeed = 15;
const UINT_PTR GlideTimer = 1;

HWND form, button, panel;
WNDPROC staticProc;
int offset, speed, selected = -1, ticks;
bool tracking;
int downY = -1, lastY;
DWORD lastTap;

int MaxOffset() {
  RECT r;
  GetClientRect(panel, &r);
  int max = RowCount * RowHeight - r.bottom;
  return max < 0 ? 0 : max;
}

void ClampOffset() {
  if (offset < 0) offset = 0, speed = 0;
  else if (offset > MaxOffset()) offset = MaxOffset(), speed = 0;
}

void Activate() {
  wchar_t text[32] = L"";
  if (selected >= 0 && selected < RowCount) swprintf(text, 32, L"Deneme: %d", selected);
  MessageBoxW(form, text, L"GlideStrip Demo", MB_OK | MB_SETFOREGROUND);
}

void Paint(HDC dc) {
  RECT client;
  GetClientRect(panel, &client);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
  FillRect(mem, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HPEN line = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
  HBRUSH fill = CreateSolidBrush(RGB(166, 202, 240));
  HGDIOBJ oldPen = SelectObject(mem, line);
  SetBkMode(mem, TRANSPARENT);
  int first = offset / RowHeight - 1, last = (client.bottom + offset) / RowHeight + 1;
  if (first < 0) first = 0;
  if (last > RowCount) last = RowCount;
  for (int i = first; i < last; ++i) {
    RECT r = {0, i * RowHeight - offset, client.right, (i + 1) * RowHeight - offset};
    MoveToEx(mem, r.left, r.top, nullptr);
    LineTo(mem, r.right, r.top);
    MoveToEx(mem, r.left, r.bottom, nullptr);
    LineTo(mem, r.right, r.bottom);
    if (i == selected) {
      // Without a pen the fill stops short of the right and bottom edges.
      SelectObject(mem, GetStockObject(NULL_PEN));
      HGDIOBJ oldBrush = SelectObject(mem, fill);
      Rectangle(mem, r.left, r.top + 1, r.right, r.bottom);
      SelectObject(mem, oldBrush);
      SelectObject(mem, line);
    }
    SetTextColor(mem, i == selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    wchar_t text[32];
    swprintf(text, 32, L"Deneme: %d", i);
    InflateRect(&r, -2, -1);
    DrawTextW(mem, text, -1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldPen);
  SelectObject(mem, oldBitmap);
  DeleteObject(line);
  DeleteObject(fill);
  DeleteObject(bitmap);
  DeleteDC(mem);
}

LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  const int y = static_cast<short>(HIWORD(lp));
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (lastTap != 0) {
        DWORD elapsed = GetTickCount() - lastTap;
        if (elapsed >= 100 && elapsed <= 300) {
          lastTap = 0;
          Activate();
          return 0;
        }
      }
      lastTap = GetTickCount();
      SetCapture(wnd);
      downY = lastY = y;
      tracking = true;
      return 0;
    case WM_LBUTTONDBLCLK:
      Activate();
      return 0;
    case WM_MOUSEMOVE:
      if (tracking) {
        int step = lastY - y;
        speed = step / 2;
        if (speed > MaxSpeed) speed = MaxSpeed;
        if (speed < -MaxSpeed) speed = -MaxSpeed;
        offset += step;
        ClampOffset();
        lastY = y;
        InvalidateRect(wnd, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (abs(y - downY) < RowHeight) {
        selected = (y + offset) / RowHeight;
        speed = 0;
      } else {
        SetTimer(wnd, GlideTimer, 10, nullptr);
      }
      downY = -1;
      tracking = false;
      ReleaseCapture();
      InvalidateRect(wnd, nullptr, FALSE);
      return 0;
    case WM_TIMER:
      if (speed == 0) {
        KillTimer(wnd, GlideTimer);
        return 0;
      }
      lastTap = 0;
      offset += speed;
      ClampOffset();
      if (++ticks % 10 == 0) speed += speed > 0 ? -1 : 1;
      if (speed == 0) KillTimer(wnd, GlideTimer);
      InvalidateRect(wnd, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      Paint(dc);
      EndPaint(wnd, &ps);
      return 0;
    }
  }
  return CallWindowProcW(staticProc, wnd, msg, wp, lp);
}

LRESULT CALLBACK FormProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lp) == button && HIWORD(wp) == BN_CLICKED) PostMessageW(wnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"Form";
  RegisterClassW(&wc);
  wc.style = 0;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"GlideStripSoftKeyBar";
  RegisterClassW(&wc);

  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const int formHeight = height - BarHeight;
  form = CreateWindowExW(0, L"Form", L"GlideStrip Demo", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width,
                         formHeight, nullptr, nullptr, instance, nullptr);
  HWND bar = CreateWindowExW(0, L"GlideStripSoftKeyBar", L"", WS_POPUP | WS_DISABLED, 0, formHeight,
                             width, BarHeight, form, nullptr, instance, nullptr);
  button = CreateWindowExW(0, L"BUTTON", L"Kapat", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                           formHeight - ButtonHeight, width, ButtonHeight, form, nullptr, instance,
                           nullptr);
  panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, width,
                          formHeight - ButtonHeight, form, nullptr, instance, nullptr);
  staticProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PanelProc)));
  ShowWindow(form, SW_SHOW);
  ShowWindow(bar, SW_SHOWNOACTIVATE);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyWindow(form);
  return 0;
}
