#include "graphics/Canvas.h"

#include "controls/Control.h"  // the owner's fields only
#include "platform/Platform.h"

TCanvasGetDCProc ControlDCProvider = nullptr;

HGDIOBJ StockBlackPen = nullptr;
HGDIOBJ StockNullBrush = nullptr;
HGDIOBJ StockSystemFont = nullptr;

namespace {

const TCanvasFlags ToolBits = PenSelected | BrushSelected | FontSelected;

// A tool renewing its handle in the middle of a selection pass deselects
// everything already in place; the pass is repeated for what was lost.
// Two repeats cover it: a renewed handle is made with the current colours.
const int SelectionPasses = 3;

bool IsDashed(unsigned char penStyle) { return penStyle >= PS_DASH && penStyle <= PS_DASHDOTDOT; }

void SelectFont(TCanvas* canvas) {
  if (canvas->Font != nullptr) {
    // The tool's handle first: making it may deselect, the DC comes second.
    HGDIOBJ font = canvas->Font->GetHandle();
    Api.SelectObject(canvas->GetHandle(), font);
    Api.SetTextColor(canvas->DC, ResolveColor(canvas->Font->Color()));
    canvas->AttachToolHandlers();
  } else if (canvas->Owner != nullptr) {
    Api.SetTextColor(canvas->DC, ResolveColor(canvas->Owner->FontColor));
  }
}

void SelectPen(TCanvas* canvas) {
  if (canvas->Pen == nullptr) return;
  HGDIOBJ pen = canvas->Pen->GetHandle();
  Api.SelectObject(canvas->GetHandle(), pen);
  Api.SetROP2(canvas->DC, canvas->Pen->PenMode() + 1);
  canvas->AttachToolHandlers();
}

void SelectBrush(TCanvas* canvas) {
  if (canvas->Brush != nullptr) {
    HGDIOBJ brush = canvas->Brush->GetHandle();
    Api.SelectObject(canvas->GetHandle(), brush);
    canvas->AttachToolHandlers();
    uint32_t color = ResolveColor(canvas->Brush->Color());
    if (canvas->Brush->BrushStyle() == 0) {
      Api.SetBkColor(canvas->DC, color);
      Api.SetBkMode(canvas->DC, OPAQUE);
    } else {
      Api.SetBkColor(canvas->DC, ~color);
      Api.SetBkMode(canvas->DC, TRANSPARENT);
    }
  } else if (canvas->Owner != nullptr) {
    Api.SetBkColor(canvas->GetHandle(), ResolveColor(canvas->Owner->Color));
    Api.SetBkMode(canvas->DC, OPAQUE);
  }
}

}  // namespace

TCanvas* NewCanvasOnDC(HDC dc) {
  TCanvas* canvas = NewObject<TCanvas>();
  if (dc != nullptr) canvas->SetHandle(dc);
  return canvas;
}

void ToolChanged(void* canvas, TGraphicTool*) { static_cast<TCanvas*>(canvas)->DeselectTools(); }

#ifndef NDEBUG
bool CanvasHolds(const TCanvas* canvas, HGDIOBJ object) {
  if (canvas->DC == nullptr || object == nullptr) return false;
  const UINT kinds[] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP};
  for (UINT kind : kinds)
    if (Api.GetCurrentObject(canvas->DC, kind) == object) return true;
  return false;
}
#endif

void TCanvas::Destroy(bool dispose) {
  // The DC goes back with only stock objects in it before the tools delete theirs.
  SetHandle(nullptr);
  FreeAndNil(Pen);
  FreeAndNil(Brush);
  FreeAndNil(Font);
  TBaseObject::Destroy(false);
  if (dispose) FreeInstance();
}

HDC TCanvas::GetHandle() {
  if (!OnGetDC.Assigned()) return DC;
  HDC dc = OnGetDC.Code(OnGetDC.Data, this);
  SetHandle(dc);
  return dc;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == DC) return;
  if (DC != nullptr) {
    DeselectTools();
    if (Owner != nullptr && DC == Owner->PaintDC) {
      // the paint cycle in progress ends this DC itself
    } else if (ControlDCProvider != nullptr && OnGetDC.Code == ControlDCProvider) {
      Api.ReleaseDC(Owner != nullptr ? Owner->Handle : nullptr, DC);
    } else {
      Api.DeleteDC(DC);  // a DC nobody else gives back is the canvas's own
    }
    DC = nullptr;
    Flags &= static_cast<TCanvasFlags>(~DcReady);
  }
  if (dc != nullptr) {
    Flags |= DcReady;
    DC = dc;
    SetPenPos(PenPos);
  }
}

HDC TCanvas::RequireState(TCanvasFlags request) {
  if ((request & NotifyChange) && OnChange.Assigned()) OnChange.Code(OnChange.Data, this);
  if ((request & DcReady) && GetHandle() == nullptr) return nullptr;
  if (DC == nullptr) return nullptr;  // no bits without a DC: attaching one would not select
  // What is missing is read only now: fetching the DC may have attached a
  // different one, which has none of the tools in it.
  for (int pass = 0; pass < SelectionPasses; ++pass) {
    TCanvasFlags needed = request & ToolBits & static_cast<TCanvasFlags>(~Flags);
    if (needed == 0) break;
    // Each bit is set right after its selection, so a deselection caused by a
    // later tool's renewal clears it again.
    if (needed & FontSelected) {
      SelectFont(this);
      Flags |= FontSelected;
    }
    if (needed & PenSelected) {
      SelectPen(this);
      Flags |= PenSelected;
      // Dashed and dotted pens paint their gaps with the background colour and mode.
      if (Pen != nullptr && IsDashed(Pen->PenStyle())) needed |= BrushSelected;
    }
    if (needed & BrushSelected) {
      SelectBrush(this);
      Flags |= BrushSelected;
    }
  }
  return DC;
}

void TCanvas::DeselectTools() {
  if (DC == nullptr || (Flags & ToolBits) == 0) return;
  if (StockBlackPen == nullptr) {
    StockBlackPen = Api.GetStockObject(BLACK_PEN);
    StockNullBrush = Api.GetStockObject(NULL_BRUSH);
    StockSystemFont = Api.GetStockObject(SYSTEM_FONT);
  }
  Api.SelectObject(DC, StockBlackPen);
  Api.SelectObject(DC, StockNullBrush);
  Api.SelectObject(DC, StockSystemFont);
  Flags &= static_cast<TCanvasFlags>(~ToolBits);
}

void TCanvas::AttachToolHandlers() {
  TGraphicTool* tools[] = {Brush, Pen, Font};
  for (TGraphicTool* tool : tools) {
    if (tool == nullptr) continue;
    tool->OnChange.Code = ToolChanged;
    tool->OnChange.Data = this;
  }
}

TGraphicTool* TCanvas::GetBrush() {
  if (Brush == nullptr) {
    Brush = NewBrushTool();
    // The flag stood for the DC's own brush or the owner's colours; the new tool is not in yet.
    Flags &= static_cast<TCanvasFlags>(~BrushSelected);
    if (Owner != nullptr) {
      Brush->SetColor(Owner->Color);
      if (Owner->Brush != nullptr) Brush = Assign(Brush, Owner->Brush);
    }
    AttachToolHandlers();
  }
  return Brush;
}

TGraphicTool* TCanvas::GetFont() {
  if (Font == nullptr) {
    Font = NewFontTool();
    Flags &= static_cast<TCanvasFlags>(~FontSelected);  // as for the brush
    if (Owner != nullptr) {
      Font->SetColor(Owner->FontColor);
      if (Owner->Font != nullptr) Font = Assign(Font, Owner->Font);
    }
    AttachToolHandlers();
  }
  return Font;
}

TGraphicTool* TCanvas::GetPen() {
  if (Pen == nullptr) {
    Pen = NewPenTool();
    Flags &= static_cast<TCanvasFlags>(~PenSelected);  // as for the brush
    AttachToolHandlers();
  }
  return Pen;
}

void TCanvas::SetPenPos(POINT pt) {
  PenPos = pt;
  MoveTo(pt.x, pt.y);
}

void TCanvas::MoveTo(int x, int y) {
  RequireState(DcReady);
  Api.MoveToEx(DC, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequireState(DcReady | PenSelected | BrushSelected | NotifyChange);
  Api.LineTo(DC, x, y);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequireState(DcReady | PenSelected | BrushSelected | NotifyChange);
  Api.Rectangle(DC, left, top, right, bottom);
}

void TCanvas::DrawText(const wchar_t* text, int length, RECT* rect, UINT format) {
  RequireState(DcReady | BrushSelected | FontSelected | NotifyChange);
  if (rect == nullptr) return;  // the platform would write through it
  if (text == nullptr) {
    text = L"";
    length = 0;
  }
  Api.DrawTextW(GetHandle(), text, length, rect, format);
}
