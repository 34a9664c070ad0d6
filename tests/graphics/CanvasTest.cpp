#include <gtest/gtest.h>

#include <vector>

#include "controls/Control.h"
#include "graphics/Canvas.h"
#include "support/ApiPatch.h"

namespace {

// A memory DC holding a white bitmap. The canvas given the DC deletes it;
// the bitmap is the test's.
struct TSurface {
  HDC DC;
  HBITMAP Bitmap;
  TSurface() {
    HDC screen = GetDC(nullptr);
    DC = CreateCompatibleDC(screen);
    Bitmap = CreateCompatibleBitmap(screen, 64, 64);
    ReleaseDC(nullptr, screen);
    SelectObject(DC, Bitmap);
    RECT all = {0, 0, 64, 64};
    FillRect(DC, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~TSurface() { DeleteObject(Bitmap); }
};

// A real control as the canvas's owner; the canvas only reads its fields,
// and no window is made for it.
struct TOwnerFields {
  TControl* Control = NewControl(nullptr, L"Form");
  ~TOwnerFields() {
    Control->Handle = nullptr;  // a window a test lent it is the test's to destroy
    Free(Control);
  }
  TControl* operator->() { return Control; }
  TControl* Get() { return Control; }
};

uint64_t Value(const void* handle) { return reinterpret_cast<uint64_t>(handle); }

size_t CountSelected(const TApiRecorder& rec, HGDIOBJ object) {
  size_t n = 0;
  for (const auto& call : rec.Only("SelectObject")) n += call.Arg(1) == Value(object);
  return n;
}

size_t IndexOf(const TApiRecorder& rec, const char* name, size_t arg, uint64_t value) {
  for (size_t i = 0; i < rec.Calls.size(); ++i)
    if (rec.Calls[i].Name == name && rec.Calls[i].Arg(arg) == value) return i;
  return SIZE_MAX;
}

DWORD PenSysColor;
DWORD WINAPI ScriptedSysColor(int) { return PenSysColor; }

HDC SuppliedDC;
HDC SupplyDC(void*, TCanvas*) { return SuppliedDC; }

// Behaves as the control framework's supplier outside a paint cycle.
HDC WindowDC(void* owner, TCanvas* canvas) {
  return canvas->DC != nullptr ? canvas->DC : Api.GetDC(static_cast<TControl*>(owner)->Handle);
}

}  // namespace

TEST(Canvas, ARunOfLinesSelectsEachToolOnce) {
  StockBlackPen = nullptr;
  TSurface surface;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  TGraphicTool* pen = canvas->GetPen();
  pen->SetColor(0x000000FF);
  TGraphicTool* brush = canvas->GetBrush();
  TApiRecorder rec;
  RECORD(rec, SelectObject);
  RECORD(rec, GetStockObject);
  for (int i = 1; i <= 5; ++i) canvas->LineTo(i * 10, i * 5);
  EXPECT_EQ(rec.Count("SelectObject"), 2u);
  EXPECT_EQ(CountSelected(rec, pen->Handle), 1u);
  EXPECT_EQ(CountSelected(rec, brush->Handle), 1u);
  EXPECT_EQ(GetPixel(surface.DC, 10, 5), 0x000000FFu);

  // Each change takes the tools out; the next line brings both back, the pen new.
  for (COLORREF color : {0x0000FF00, 0x00FF0000}) {
    rec.ClearCalls();
    pen->SetColor(color);
    EXPECT_EQ(canvas->Flags, DcReady);
    canvas->LineTo(60, 60);
    canvas->LineTo(0, 60);
    EXPECT_EQ(CountSelected(rec, pen->Handle), 1u);
    EXPECT_EQ(CountSelected(rec, brush->Handle), 1u);
    EXPECT_EQ(GetPixel(surface.DC, 30, 60), color);
    EXPECT_EQ(rec.Count("GetStockObject"), color == 0x0000FF00 ? 3u : 0u);  // fetched once
  }
  Free(canvas);
}

TEST(Canvas, AToolMadeAfterItsBitWasSetIsSelectedNext) {
  TSurface surface;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  TApiRecorder rec;
  RECORD(rec, SelectObject);
  RECORD(rec, SetROP2);
  canvas->Rectangle(0, 0, 10, 10);  // no tools: the DC's own draw, the bits are set
  EXPECT_EQ(canvas->Flags, DcReady | PenSelected | BrushSelected);

  TGraphicTool* pen = canvas->GetPen();
  canvas->Rectangle(0, 0, 10, 10);
  ASSERT_EQ(rec.Names(), (std::vector<std::string>{"SelectObject", "SetROP2"}));
  EXPECT_EQ(rec.Calls[0].Arg(1), Value(pen->Handle));
  EXPECT_EQ(rec.Calls[1].Arg(1), static_cast<uint64_t>(R2_COPYPEN));
  LOGPEN made = {};
  GetObjectW(pen->Handle, sizeof(made), &made);
  EXPECT_EQ(made.lopnStyle, static_cast<UINT>(PS_SOLID));
  EXPECT_EQ(made.lopnWidth.x, 0);
  EXPECT_EQ(made.lopnColor, 0u);

  rec.ClearCalls();
  TGraphicTool* brush = canvas->GetBrush();
  canvas->Rectangle(0, 0, 10, 10);
  EXPECT_EQ(CountSelected(rec, brush->Handle), 1u);
  Free(canvas);
}

TEST(Canvas, DashedPensSelectTheBrushAgain) {
  TSurface surface;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  TGraphicTool* pen = canvas->GetPen();
  TGraphicTool* brush = canvas->GetBrush();
  RECT rect = {0, 0, 40, 20};
  TApiRecorder rec;
  RECORD(rec, SelectObject);
  for (unsigned char style : {PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL}) {
    pen->SetPenStyle(style);
    canvas->DrawText(L"", &rect, 0);  // the brush is in, the pen is not
    rec.ClearCalls();
    canvas->LineTo(30, 30);
    EXPECT_EQ(CountSelected(rec, pen->Handle), 1u) << int(style);
    EXPECT_EQ(CountSelected(rec, brush->Handle), style == PS_NULL ? 0u : 1u) << int(style);
  }
  Free(canvas);
}

TEST(Canvas, AClearBrushLeavesTextBackgroundsTransparent) {
  TSurface surface;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  TGraphicTool* brush = canvas->GetBrush();
  brush->SetColor(0x00102030);
  brush->SetBrushStyle(1);
  TApiRecorder rec;
  RECORD(rec, SetBkColor);
  RECORD(rec, SetBkMode);
  RECT rect = {0, 0, 40, 20};
  canvas->DrawText(L"Deneme", &rect, DT_SINGLELINE);
  ASSERT_EQ(rec.Calls.size(), 2u);
  EXPECT_EQ(rec.Calls[0].Arg(1), 0xFFEFDFCFu);  // all 32 bits complemented
  EXPECT_EQ(rec.Calls[1].Arg(1), static_cast<uint64_t>(TRANSPARENT));

  brush->SetBrushStyle(0);
  rec.ClearCalls();
  canvas->DrawText(L"Deneme", &rect, DT_SINGLELINE);
  ASSERT_EQ(rec.Calls.size(), 2u);
  EXPECT_EQ(rec.Calls[0].Arg(1), 0x00102030u);
  EXPECT_EQ(rec.Calls[1].Arg(1), static_cast<uint64_t>(OPAQUE));
  Free(canvas);
}

TEST(Canvas, AChangedFontIsDeletedOnlyAfterTheStockFontIsIn) {
  TSurface surface;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  TGraphicTool* font = canvas->GetFont();
  font->SetColor(0x000000FF);
  RECT rect = {0, 0, 60, 20};
  canvas->DrawText(L"eins", &rect, DT_SINGLELINE);
  HGDIOBJ old = font->Handle;
  ASSERT_EQ(GetCurrentObject(surface.DC, OBJ_FONT), old);

  TApiRecorder rec;
  RECORD(rec, SelectObject);
  RECORD(rec, DeleteObject);
  RECORD(rec, SetTextColor);
  font->SetColor(0x0000FF00);
  canvas->DrawText(L"zwei", &rect, DT_SINGLELINE);
  size_t stockIn = IndexOf(rec, "SelectObject", 1, Value(StockSystemFont));
  size_t deleted = IndexOf(rec, "DeleteObject", 0, Value(old));
  ASSERT_NE(deleted, SIZE_MAX);
  EXPECT_LT(stockIn, deleted);
  EXPECT_EQ(CountSelected(rec, font->Handle), 1u);
  EXPECT_EQ(GetCurrentObject(surface.DC, OBJ_FONT), font->Handle);
  ASSERT_EQ(rec.Count("SetTextColor"), 1u);
  EXPECT_EQ(rec.Only("SetTextColor")[0].Arg(1), 0x0000FF00u);
  Free(canvas);
}

TEST(Canvas, ANewlySuppliedDcGetsEveryTool) {
  TSurface first, second;
  TCanvas* canvas = NewCanvasOnDC(nullptr);
  canvas->OnGetDC.Code = SupplyDC;
  SuppliedDC = first.DC;
  TGraphicTool* pen = canvas->GetPen();
  pen->SetColor(0x000000FF);
  canvas->GetBrush();
  canvas->LineTo(10, 10);
  SuppliedDC = second.DC;  // the first is deleted as the canvas's own
  canvas->Rectangle(20, 20, 40, 40);
  EXPECT_EQ(GetCurrentObject(second.DC, OBJ_PEN), pen->Handle);
  EXPECT_EQ(GetCurrentObject(second.DC, OBJ_BRUSH), canvas->Brush->Handle);
  EXPECT_EQ(GetPixel(second.DC, 20, 30), 0x000000FFu);
  Free(canvas);
}

TEST(Canvas, AHandleRenewedWhileSelectingTakesNothingOutForGood) {
  TScopedPatch colors(Api.GetSysColor, ScriptedSysColor);
  PenSysColor = 0x00000080;
  TSurface surface;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  canvas->GetPen()->SetColor(SysColorWindowText);
  canvas->GetBrush()->SetColor(0x0000FF00);
  canvas->Rectangle(0, 0, 4, 4);
  canvas->GetFont()->SetColor(0x00FF0000);
  RECT rect = {0, 50, 60, 64};
  canvas->DrawText(L"", &rect, 0);
  ASSERT_EQ(canvas->Flags, DcReady | BrushSelected | FontSelected);

  PenSysColor = 0x00000040;  // the pen renews as it is selected and takes the brush out
  canvas->Rectangle(10, 10, 40, 40);
  EXPECT_EQ(GetPixel(surface.DC, 25, 25), 0x0000FF00u);
  EXPECT_EQ(GetPixel(surface.DC, 10, 25), 0x00000040u);
  Free(canvas);
}

TEST(Canvas, EachDcGoesBackTheWayItCame) {
  TScopedPatch provider(ControlDCProvider, WindowDC);
  HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  TOwnerFields owner;
  owner->Handle = wnd;
  TApiRecorder rec;
  RECORD(rec, SelectObject);
  RECORD(rec, ReleaseDC);
  RECORD(rec, DeleteDC);

  // A control's canvas: a window DC, given back with ReleaseDC after the tools came out.
  TCanvas* canvas = NewCanvasOnDC(nullptr);
  canvas->Owner = owner.Get();
  canvas->OnGetDC = {ControlDCProvider, owner.Get()};
  canvas->GetPen();
  canvas->LineTo(5, 5);
  HDC windowDC = canvas->DC;
  rec.ClearCalls();
  canvas->SetHandle(windowDC);
  EXPECT_EQ(rec.Calls.size(), 0u);
  canvas->SetHandle(nullptr);
  EXPECT_EQ(rec.Names(), (std::vector<std::string>{"SelectObject", "SelectObject",
                                                   "SelectObject", "ReleaseDC"}));
  EXPECT_EQ(rec.Calls.back().Arg(0), Value(wnd));
  EXPECT_EQ(rec.Calls.back().Arg(1), Value(windowDC));

  // The owner's paint DC is only detached: its paint cycle ends it.
  PAINTSTRUCT paint;
  owner->PaintDC = BeginPaint(wnd, &paint);
  canvas->SetHandle(owner->PaintDC);
  canvas->LineTo(7, 7);
  rec.ClearCalls();
  canvas->SetHandle(nullptr);
  EXPECT_EQ(rec.Count("SelectObject"), 3u);
  EXPECT_EQ(rec.Calls.size(), 3u);
  EndPaint(wnd, &paint);
  Free(canvas);

  // Any other DC is the canvas's own.
  TSurface surface;
  canvas = NewCanvasOnDC(surface.DC);
  rec.ClearCalls();
  Free(canvas);
  EXPECT_EQ(rec.Names(), std::vector<std::string>{"DeleteDC"});
  EXPECT_EQ(rec.Calls[0].Arg(0), Value(surface.DC));
  DestroyWindow(wnd);
}

TEST(Canvas, EveryNewDcStartsAtThePenPosition) {
  TSurface first, second;
  TCanvas* canvas = NewCanvasOnDC(nullptr);
  canvas->SetPenPos({10, 20});
  for (HDC dc : {first.DC, second.DC}) {
    canvas->SetHandle(dc);
    POINT at = {};
    GetCurrentPositionEx(dc, &at);
    EXPECT_EQ(at.x, 10);
    EXPECT_EQ(at.y, 20);
    canvas->LineTo(30, 40);  // moves the DC's position, not PenPos
  }
  Free(canvas);
}

TEST(Canvas, OwnerColoursStandInForMissingTools) {
  TSurface surface;
  TOwnerFields owner;
  owner->Color = 0x00FF0000;
  owner->FontColor = 0x0000FF00;
  TCanvas* canvas = NewCanvasOnDC(surface.DC);
  canvas->Owner = owner.Get();
  TApiRecorder rec;
  RECORD(rec, SetBkColor);
  RECORD(rec, SetBkMode);
  RECORD(rec, SetTextColor);
  RECT rect = {0, 0, 10, 10};
  canvas->DrawText(L"a", &rect, 0);
  ASSERT_EQ(rec.Names(), (std::vector<std::string>{"SetTextColor", "SetBkColor", "SetBkMode"}));
  EXPECT_EQ(rec.Calls[0].Arg(1), 0x0000FF00u);
  EXPECT_EQ(rec.Calls[1].Arg(1), 0x00FF0000u);
  EXPECT_EQ(rec.Calls[2].Arg(1), static_cast<uint64_t>(OPAQUE));
  EXPECT_EQ(canvas->GetBrush()->Color(), 0x00FF0000u);
  EXPECT_EQ(canvas->GetFont()->Color(), 0x0000FF00u);
  Free(canvas);

  // With tools of its own, the owner's are copied.
  TGraphicTool* font = NewFontTool();
  font->SetFontName(L"Arial");
  TGraphicTool* brush = NewBrushTool();
  brush->SetBrushStyle(1);
  owner->Font = font;
  owner->Brush = brush;
  canvas = NewCanvasOnDC(nullptr);
  canvas->Owner = owner.Get();
  EXPECT_TRUE(SameBytes(&canvas->GetFont()->Props, &font->Props, sizeof(TToolProps)));
  EXPECT_TRUE(SameBytes(&canvas->GetBrush()->Props, &brush->Props, sizeof(TToolProps)));
  EXPECT_EQ(canvas->Font->OnChange.Data, canvas);
  Free(canvas);
  Free(brush);
  Free(font);
}
