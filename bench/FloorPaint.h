// The floors of the paint figures: the same window painted without the
// framework. While attached, a TFloorPaint takes the window's WM_PAINT (and
// WM_ERASEBKGND) and answers it with direct GDI calls into a memory bitmap
// made once, with tools made and selected once, then one BitBlt:
//   fkEmptyCycle  BeginPaint and EndPaint only (what one paint cycle costs);
//   fkBitBlt      the bare BitBlt of the 240 x 256 bitmap to the window;
//   fkHandWritten background, separator lines and DrawTextW per visible row,
//                 the rows the list box would draw at the same offset.
//
//   TFloorPaint floor(240, 256, texts, fontRecord);
//   floor.Attach(panelWindow, fkHandWritten);  // ... InvalidateRect + UpdateWindow
//   floor.Detach();                            // the window's own procedure again
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum TFloorKind { fkEmptyCycle, fkBitBlt, fkHandWritten };

class TFloorPaint {
 public:
  TFloorPaint(int width, int height, const std::vector<std::wstring>& texts,
              const LOGFONTW& font);
  ~TFloorPaint();
  TFloorPaint(const TFloorPaint&) = delete;
  TFloorPaint& operator=(const TFloorPaint&) = delete;

  void Attach(HWND window, TFloorKind kind);
  void Detach();

  int Offset = 0;      // vertical scroll offset, as the list box's Offset.y
  int ItemHeight = 50;
  // Each paint files here the time from BeginPaint to EndPaint: the
  // drawing and the BitBlt, what the list box's PanelPaint does. May be null.
  std::vector<double>* Samples = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HWND window);
  void DrawRows();

  static TFloorPaint* Active;  // one floor at a time owns a window's procedure

  int Width;
  int Height;
  std::vector<std::wstring> Texts;
  HWND Window = nullptr;
  WNDPROC SavedProc = nullptr;
  TFloorKind Kind = fkEmptyCycle;
  // made once, owned; the memory DC keeps bitmap, pen and font selected
  HDC MemoryDC = nullptr;
  HBITMAP Bitmap = nullptr;
  HPEN LinePen = nullptr;
  HFONT Font = nullptr;
  HBRUSH Background = nullptr;
  HGDIOBJ SavedBitmap = nullptr;
  HGDIOBJ SavedPen = nullptr;
  HGDIOBJ SavedFont = nullptr;
};
