#include <cstdint>

#include "controls/Painting.h"
#include "core/WStrList.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "listbox/GlideStripbox.h"
#include "platform/Platform.h"

namespace {

// One line, left-aligned, centred vertically; an ampersand is drawn as itself.
const UINT ItemTextFormat = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;

}  // namespace

// Rows past the 32-bit range saturate; offsets never reach them.
RECT TGlideStripbox::ItemRect(int row) const {
  int64_t top = static_cast<int64_t>(row) * ItemHeight;
  RECT rect;
  Api.SetRect(&rect, 0, Saturate(top), ItemWidth, Saturate(top + ItemHeight));
  return rect;
}

// Everything goes into the back buffer first and reaches the panel in one
// block transfer; each paint redraws the whole panel.
void TGlideStripbox::PanelPaint(void* data, TControl*, HDC) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  if (self->BackBuffer == nullptr || self->Panel == nullptr) return;
  // Once for the whole paint: each GetCanvas selects the bitmap out of its DC
  // and back in, which costs the platform more than drawing a row, and
  // nothing during the paint takes the bitmap out. Null for a zero-sized
  // buffer, which has nothing to draw into.
  TCanvas* canvas = self->BufferCanvas();
  if (canvas == nullptr) return;
  self->DrawBackground(canvas);
  int width = self->Panel->GetWidth();
  int height = self->Panel->GetHeight();
  // One row beyond each visible end; the bitmap clips what falls outside.
  int64_t first = static_cast<int64_t>(self->HitTest(0, 0).y) - 1;
  if (first < 0) first = 0;
  int64_t last = static_cast<int64_t>(self->HitTest(0, height).y) + 1;
  int count = self->Items->Count();
  if (count < last) last = count;
  for (int64_t i = first; i < last; ++i) {
    int row = static_cast<int>(i);
    RECT rect = self->ItemRect(row);
    Api.OffsetRect(&rect, 0, -self->Offset.y);
    self->DrawItemLines(canvas, rect);
    self->DrawItemText(canvas, rect, self->Items->Get(row), row);
  }
  HDC target = GetCanvas(self->Panel)->GetHandle();
  HDC source = canvas->GetHandle();
  Api.BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
}

void TGlideStripbox::DrawBackground() {
  if (TCanvas* canvas = BufferCanvas()) DrawBackground(canvas);
}

void TGlideStripbox::DrawBackground(TCanvas* canvas) {
  if (Panel == nullptr) return;
  HDC dc = canvas->GetHandle();
  Api.SetBkMode(dc, OPAQUE);
  RECT rect = {0, 0, 0, 0};
  Api.GetClipBox(dc, &rect);
  TGraphicTool* brush = canvas->GetBrush();
  brush->SetColor(Panel->Color);
  canvas->GetPen()->SetColor(LineColor);
  // A selected row of the last paint left the brush clear.
  brush->SetBrushStyle(0);
  Api.FillRect(dc, &rect, static_cast<HBRUSH>(brush->GetHandle()));
}

// Neighbouring rows share a line: the bottom of one is the top of the next.
void TGlideStripbox::DrawItemLines(const RECT& rect) {
  if (TCanvas* canvas = BufferCanvas()) DrawItemLines(canvas, rect);
}

void TGlideStripbox::DrawItemLines(TCanvas* canvas, const RECT& rect) {
  TGraphicTool* pen = canvas->GetPen();
  pen->SetColor(LineColor);
  canvas->MoveTo(rect.left, rect.top);
  canvas->LineTo(rect.right, rect.top);
  canvas->MoveTo(rect.left, rect.bottom);
  canvas->LineTo(rect.right, rect.bottom);
  pen->SetColor(0x00000000);
}

void TGlideStripbox::DrawItemText(const RECT& rect, const WideString& text, int index) {
  if (TCanvas* canvas = BufferCanvas()) DrawItemText(canvas, rect, text, index);
}

void TGlideStripbox::DrawItemText(TCanvas* canvas, const RECT& rect, const WideString& text,
                                  int index) {
  if (index == Selected.y) {
    // With the null pen the fill stops short of the right and bottom edges;
    // starting one pixel down keeps both separator lines visible.
    canvas->GetPen()->SetPenStyle(PS_NULL);
    canvas->GetBrush()->SetColor(SelectedColor);
    canvas->Rectangle(rect.left, rect.top + 1, rect.right, rect.bottom);
    canvas->GetBrush()->SetBrushStyle(1);
    canvas->GetPen()->SetPenStyle(PS_SOLID);
    canvas->GetFont()->SetColor(SelectedTextColor);
  } else if (Panel != nullptr) {
    canvas->GetFont()->SetColor(Panel->GetFont()->Color());
  }
  Api.SetBkMode(canvas->GetHandle(), TRANSPARENT);
  RECT inner = rect;
  Api.InflateRect(&inner, -2, -1);  // two pixels of margin left and right, one top and bottom
  canvas->DrawText(text, &inner, ItemTextFormat);
}
