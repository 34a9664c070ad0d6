// TBitmap: an off-screen surface compatible with the screen, with its own
// memory DC and canvas. The owner frees it and builds a new one to resize.
//
//   TBitmap* buffer = NewOffscreenBitmap(240, 256);
//   if (TCanvas* canvas = buffer->GetCanvas()) canvas->Rectangle(0, 0, 10, 10);
//   BitBlt(target, 0, 0, 240, 256, buffer->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
#pragma once

#include <windows.h>

#include "core/BaseObject.h"
#include "graphics/Canvas.h"

struct TBitmap : TBaseObject {
  int Height;            // in pixels, fixed at creation; 0 after Clear
  int Width;
  HBITMAP Handle;        // owned
  TCanvas* Canvas;       // owned; owns the memory DC
  TColorValue BkColor;   // the canvas brush colour last seen; 0 = none
  HBITMAP SavedBitmap;   // what the memory DC held before Handle; non-zero while Handle is selected

  bool IsEmpty() const { return Width == 0 || Height == 0; }
  HBITMAP GetHandle();
  TCanvas* GetCanvas();
  void ReleaseHandle();
  void FreeCanvas();
  void Clear();

  void Destroy(bool dispose) override;

 private:
  void Deselect();
};

TBitmap* NewOffscreenBitmap(int width, int height);

// The OnChange handler the bitmap installs on its canvas.
void CanvasChanged(void* bitmap, TCanvas* canvas);
