// A 32-bit memory DC for tests that read back what was drawn: the windows of
// the null display driver keep no pixels, so a test hands this DC to a
// control (WM_ERASEBKGND, WM_PAINT or WM_PRINTCLIENT) and reads it instead.
//
//   TPaintTestSurface surface;                 // 64 x 64, filled with Blank
//   SendMessageW(wnd, WM_ERASEBKGND, (WPARAM)surface.DC, 0);
//   EXPECT_EQ(surface.Pixel(3, 3), RGB(10, 20, 30));
#pragma once

#include <windows.h>

class TPaintTestSurface {
 public:
  // A colour no control of the tests uses, so an untouched pixel shows.
  static const COLORREF Blank = RGB(1, 254, 3);

  explicit TPaintTestSurface(int width = 64, int height = 64) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    DC = CreateCompatibleDC(nullptr);
    Bitmap = CreateDIBSection(DC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    Saved = SelectObject(DC, Bitmap);
    Fill(Blank);
  }
  ~TPaintTestSurface() {
    SelectObject(DC, Saved);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
  TPaintTestSurface(const TPaintTestSurface&) = delete;
  TPaintTestSurface& operator=(const TPaintTestSurface&) = delete;

  void Fill(COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT all = {0, 0, 4096, 4096};
    FillRect(DC, &all, brush);
    DeleteObject(brush);
  }
  COLORREF Pixel(int x, int y) const { return GetPixel(DC, x, y); }

  HDC DC;

 private:
  HBITMAP Bitmap;
  HGDIOBJ Saved;
};
