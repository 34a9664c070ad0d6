// TCanvas: one device context and the three tools that draw on it. It
// remembers which tools are selected, selects only what an operation needs,
// and puts the stock objects back before a tool or the DC goes away.
//
//   TCanvas* canvas = NewCanvasOnDC(memoryDC);   // owns the DC from now on
//   canvas->GetPen()->SetColor(0x00C0C0C0);
//   canvas->MoveTo(0, 0);
//   canvas->LineTo(240, 0);
//   Free(canvas);                                  // deselects, then DeleteDC
#pragma once

#include <windows.h>

#include "core/BaseObject.h"
#include "core/WStrList.h"  // WideString
#include "graphics/GraphicTool.h"

#ifdef DrawText
#undef DrawText  // the canvas operation, not the platform's A/W macro
#endif

struct TControl;
struct TCanvas;

typedef unsigned char TCanvasFlags;
const TCanvasFlags DcReady = 1;
const TCanvasFlags PenSelected = 2;
const TCanvasFlags BrushSelected = 4;
const TCanvasFlags FontSelected = 8;
const TCanvasFlags NotifyChange = 16;  // a request only: fire OnChange first

typedef void (*TCanvasNotifyProc)(void* data, TCanvas* sender);
typedef HDC (*TCanvasGetDCProc)(void* data, TCanvas* sender);
typedef TEventPair<TCanvasNotifyProc> TCanvasNotifyEvent;
typedef TEventPair<TCanvasGetDCProc> TCanvasGetDCEvent;

struct TCanvas : TBaseObject {
  TControl* Owner;          // not owned; default colours, paint DC and window for ReleaseDC
  HDC DC;                   // attached DC; who gives it back depends on where it came from
  POINT PenPos;             // the drawing position, put back on each DC attached; SetPenPos
  TCanvasFlags Flags;       // DC attached, tools selected; set as each goes in, cleared out
  TGraphicTool* Brush;      // owned
  TGraphicTool* Pen;        // owned
  TGraphicTool* Font;       // owned
  TCanvasNotifyEvent OnChange;
  TCanvasGetDCEvent OnGetDC;

  HDC GetHandle();
  void SetHandle(HDC dc);
  HDC RequireState(TCanvasFlags request);
  void DeselectTools();
  void AttachToolHandlers();

  TGraphicTool* GetBrush();
  TGraphicTool* GetFont();
  TGraphicTool* GetPen();

  void SetPenPos(POINT pt);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int left, int top, int right, int bottom);
  void DrawText(const wchar_t* text, int length, RECT* rect, UINT format);
  void DrawText(const WideString& text, RECT* rect, UINT format) {
    DrawText(text.c_str(), static_cast<int>(text.size()), rect, format);
  }

  void Destroy(bool dispose) override;
};

TCanvas* NewCanvasOnDC(HDC dc);

// The OnChange handler a canvas puts on its tools.
void ToolChanged(void* canvas, TGraphicTool* tool);

#ifndef NDEBUG
// Debug builds' checks: whether the canvas's DC has object selected.
bool CanvasHolds(const TCanvas* canvas, HGDIOBJ object);
#endif

// The control framework's DC supplier (its ProvideDC), installed when the
// framework starts: a canvas whose OnGetDC is this gives DCs back with ReleaseDC.
extern TCanvasGetDCProc ControlDCProvider;

// The stock objects a canvas selects to take its tools out; fetched once.
extern HGDIOBJ StockBlackPen;
extern HGDIOBJ StockNullBrush;
extern HGDIOBJ StockSystemFont;
