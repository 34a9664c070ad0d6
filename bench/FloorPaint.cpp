#include "bench/FloorPaint.h"

#include "bench/Measure.h"

TFloorPaint* TFloorPaint::Active = nullptr;

namespace {

const COLORREF White = RGB(255, 255, 255);
const COLORREF Silver = RGB(192, 192, 192);
const UINT RowTextFormat = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;

}  // namespace

TFloorPaint::TFloorPaint(int width, int height, const std::vector<std::wstring>& texts,
                         const LOGFONTW& font)
    : Width(width), Height(height), Texts(texts) {
  HDC screen = GetDC(nullptr);
  Bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  MemoryDC = CreateCompatibleDC(nullptr);
  LinePen = CreatePen(PS_SOLID, 0, Silver);
  Font = CreateFontIndirectW(&font);
  Background = CreateSolidBrush(White);
  SavedBitmap = SelectObject(MemoryDC, Bitmap);
  SavedPen = SelectObject(MemoryDC, LinePen);
  SavedFont = SelectObject(MemoryDC, Font);
  SetBkMode(MemoryDC, TRANSPARENT);
  SetTextColor(MemoryDC, GetSysColor(COLOR_WINDOWTEXT));
}

TFloorPaint::~TFloorPaint() {
  Detach();
  // The originals go back in before the tools are deleted.
  SelectObject(MemoryDC, SavedFont);
  SelectObject(MemoryDC, SavedPen);
  SelectObject(MemoryDC, SavedBitmap);
  DeleteDC(MemoryDC);
  DeleteObject(Background);
  DeleteObject(Font);
  DeleteObject(LinePen);
  DeleteObject(Bitmap);
}

void TFloorPaint::Attach(HWND window, TFloorKind kind) {
  Detach();
  Kind = kind;
  Window = window;
  Active = this;
  SavedProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
}

void TFloorPaint::Detach() {
  if (Window == nullptr) return;
  SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SavedProc));
  Window = nullptr;
  SavedProc = nullptr;
  if (Active == this) Active = nullptr;
}

LRESULT CALLBACK TFloorPaint::WindowProc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  TFloorPaint* self = Active;
  if (message == WM_PAINT) {
    self->Paint(window);
    return 0;
  }
  // Every pixel is painted in WM_PAINT.
  if (message == WM_ERASEBKGND) return 1;
  return CallWindowProcW(self->SavedProc, window, message, wparam, lparam);
}

void TFloorPaint::Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  double start = NowMs();
  if (Kind == fkHandWritten) DrawRows();
  if (Kind != fkEmptyCycle) BitBlt(dc, 0, 0, Width, Height, MemoryDC, 0, 0, SRCCOPY);
  if (Samples != nullptr) Samples->push_back(NowMs() - start);
  EndPaint(window, &paint);
}

// The rows the list box draws: one beyond each visible end, the bitmap clips.
void TFloorPaint::DrawRows() {
  RECT all = {0, 0, Width, Height};
  FillRect(MemoryDC, &all, Background);
  int first = Offset / ItemHeight - 1;
  if (first < 0) first = 0;
  int last = (Height + Offset) / ItemHeight + 1;
  if (last > static_cast<int>(Texts.size())) last = static_cast<int>(Texts.size());
  for (int i = first; i < last; ++i) {
    int top = i * ItemHeight - Offset;
    int bottom = top + ItemHeight;
    MoveToEx(MemoryDC, 0, top, nullptr);
    LineTo(MemoryDC, Width, top);
    MoveToEx(MemoryDC, 0, bottom, nullptr);
    LineTo(MemoryDC, Width, bottom);
    RECT text = {2, top + 1, Width - 2, bottom - 1};
    const std::wstring& row = Texts[static_cast<size_t>(i)];
    DrawTextW(MemoryDC, row.c_str(), static_cast<int>(row.size()), &text, RowTextFormat);
  }
}
