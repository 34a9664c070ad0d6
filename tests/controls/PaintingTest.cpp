// Painting support on real windows under Wine: OnPaint and the control's
// canvas on the paint DC, nested paints, the background brushes and the
// font applied to a window. Pixels are read from a memory DC handed in.
#include <gtest/gtest.h>

#include <algorithm>

#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "controls/Painting.h"
#include "graphics/Canvas.h"
#include "support/ApiPatch.h"
#include "support/FormFixture.h"
#include "support/PaintTestSurface.h"
#include "support/TestWindows.h"

namespace {

const COLORREF Red = RGB(255, 0, 0);

struct TPaintLog {
  int Paints = 0;
  HDC DC = nullptr;
  HDC PaintDC = nullptr;
  HDC CanvasDC = nullptr;
  HRGN Region = nullptr;
  HDC NestedWith = nullptr;  // when set, the first paint sends a nested WM_PAINT with it
  HDC PaintDCAfterNested = nullptr;
  HRGN RegionAfterNested = nullptr;
  HDC CanvasDCAfterNested = nullptr;
};

void DrawRed(void* data, TControl* sender, HDC dc) {
  TPaintLog* log = static_cast<TPaintLog*>(data);
  ++log->Paints;
  log->DC = dc;
  log->PaintDC = sender->PaintDC;
  log->Region = sender->UpdateRegion;
  TCanvas* canvas = GetCanvas(sender);
  canvas->GetBrush()->SetColor(Red);
  canvas->GetPen()->SetColor(Red);
  canvas->Rectangle(0, 0, 20, 20);
  log->CanvasDC = canvas->DC;
  if (log->NestedWith != nullptr && log->Paints == 1) {
    SendMessageW(sender->Handle, WM_PAINT, reinterpret_cast<WPARAM>(log->NestedWith), 0);
    log->PaintDCAfterNested = sender->PaintDC;
    log->RegionAfterNested = sender->UpdateRegion;
    log->CanvasDCAfterNested = canvas->GetHandle();
  }
}

class PaintingTest : public TFormFixture {
 protected:
  void RealPaint(TControl* control) {
    InvalidateRect(control->Handle, nullptr, TRUE);
    UpdateWindow(control->Handle);
  }

  // Members, not locals: they must outlive every paint, including those of TearDown.
  TPaintLog Log;
  TPaintTestSurface Inner;
};

TEST_F(PaintingTest, OnPaintDrawsThroughCanvasOnPaintDC) {
  TControl* panel = NewPanel(Form);
  TPaintLog& log = Log;
  SetOnPaint(panel, TPaintEvent{DrawRed, &log});
  Open();
  log = TPaintLog();  // the first showing painted already

  TApiRecorder rec;
  RECORD(rec, BeginPaint);
  RECORD(rec, EndPaint);
  RECORD(rec, ReleaseDC);
  TPaintTestSurface surface;
  SendMessageW(panel->Handle, WM_PAINT, reinterpret_cast<WPARAM>(surface.DC), 0);
  EXPECT_EQ(log.Paints, 1);
  EXPECT_EQ(log.DC, surface.DC);
  EXPECT_EQ(log.CanvasDC, surface.DC);
  EXPECT_EQ(surface.Pixel(10, 10), Red);
  EXPECT_EQ(rec.Count("BeginPaint"), 0u);  // a DC handed in is painted on as it is

  RealPaint(panel);
  ASSERT_EQ(log.Paints, 2);
  ASSERT_EQ(rec.Count("BeginPaint"), 1u);
  EXPECT_EQ(reinterpret_cast<HDC>(rec.Only("BeginPaint")[0].Result), log.DC);
  EXPECT_EQ(log.PaintDC, log.DC);
  EXPECT_EQ(log.CanvasDC, log.DC);
  EXPECT_NE(log.Region, nullptr);  // read before BeginPaint emptied it
  EXPECT_EQ(rec.Count("EndPaint"), 1u);
  // The paint cycle gives its DC back, not the canvas.
  EXPECT_EQ(rec.Count("ReleaseDC"), 0u);
  EXPECT_EQ(panel->Canvas->DC, nullptr);
  EXPECT_EQ(panel->PaintDC, nullptr);
  EXPECT_EQ(panel->UpdateRegion, nullptr);
}

TEST_F(PaintingTest, NestedPaintHandsBackTheOuterPaint) {
  TControl* panel = NewPanel(Form);
  TPaintTestSurface& inner = Inner;
  TPaintLog& log = Log;
  SetOnPaint(panel, TPaintEvent{DrawRed, &log});
  Open();
  log.Paints = 0;
  log.NestedWith = inner.DC;

  TApiRecorder rec;
  RECORD(rec, BeginPaint);
  RECORD(rec, CreateRectRgn);
  RECORD(rec, GetUpdateRgn);
  RECORD(rec, DeleteObject);
  RECORD(rec, ReleaseDC);
  RealPaint(panel);
  ASSERT_EQ(log.Paints, 2);
  ASSERT_EQ(rec.Count("BeginPaint"), 1u);
  HDC outer = reinterpret_cast<HDC>(rec.Only("BeginPaint")[0].Result);
  // The outer paint goes on drawing on its DC: the nested one never gives it back.
  for (const TRecordedCall& released : rec.Only("ReleaseDC"))
    EXPECT_NE(released.Arg(1), reinterpret_cast<uint64_t>(outer));
  EXPECT_EQ(inner.Pixel(10, 10), Red);
  EXPECT_EQ(log.PaintDCAfterNested, outer);
  EXPECT_EQ(log.CanvasDCAfterNested, outer);
  ASSERT_EQ(rec.Only("GetUpdateRgn")[0].Result, static_cast<uint64_t>(SIMPLEREGION));
  EXPECT_EQ(log.RegionAfterNested, reinterpret_cast<HRGN>(rec.Only("CreateRectRgn")[0].Result));

  // Every region made for the two paints is deleted once.
  std::vector<TRecordedCall> deleted = rec.Only("DeleteObject");
  for (const TRecordedCall& made : rec.Only("CreateRectRgn"))
    EXPECT_EQ(std::count_if(deleted.begin(), deleted.end(),
                            [&](const TRecordedCall& d) { return d.Arg(0) == made.Result; }),
              1);
  EXPECT_EQ(panel->UpdateRegion, nullptr);
  EXPECT_EQ(panel->PaintDC, nullptr);
}

TEST_F(PaintingTest, PaintHookOnlyServesOnPaint) {
  TControl* panel = NewPanel(Form);
  Open();
  TApiRecorder rec;
  RECORD(rec, BeginPaint);
  RECORD(rec, EndPaint);
  TMessageRecord message = {panel->Handle, WM_PAINT, 0, 0};
  LRESULT result = 7;
  EXPECT_FALSE(PaintHook(panel, message, result));
  EXPECT_EQ(rec.Count("BeginPaint"), 0u);

  // A failed BeginPaint still reaches OnPaint (with no DC) and still ends the paint.
  TPaintLog& log = Log;
  SetOnPaint(panel, TPaintEvent{DrawRed, &log});
  TScopedPatch fail(Api.BeginPaint, [](HWND, LPPAINTSTRUCT) -> HDC { return nullptr; });
  EXPECT_TRUE(PaintHook(panel, message, result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(log.Paints, 1);
  EXPECT_EQ(log.DC, nullptr);
  EXPECT_EQ(rec.Count("EndPaint"), 1u);
}

TEST_F(PaintingTest, WindowlessControlGetsNoDC) {
  // A child without a parent can never have a window.
  TControl* orphan = NewPanel(nullptr);
  TApiRecorder rec;
  RECORD(rec, GetDC);
  EXPECT_EQ(GetCanvas(orphan)->GetHandle(), nullptr);
  EXPECT_EQ(rec.Count("GetDC"), 0u);  // GetDC(0) would be the whole screen
  Free(orphan);
}

TEST_F(PaintingTest, FormBackgroundFilledWithItsBrush) {
  Form->SetColor(RGB(10, 200, 30));
  TControl* child = NewButton(Form, L"Child");  // after the form's window: none of its own yet
  ASSERT_EQ(child->Handle, nullptr);
  TPaintTestSurface surface;
  {
    TScopedPatch plain(ControlBrushHook, PlainControlBrush);
    SendMessageW(Form->Handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC), 0);
    EXPECT_EQ(surface.Pixel(3, 3), RGB(10, 200, 30));
    EXPECT_NE(child->Handle, nullptr);
  }
  TScopedPatch tool(ControlBrushHook, ToolControlBrush);
  Form->GetBrush()->SetColor(RGB(40, 50, 60));
  SendMessageW(Form->Handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC), 0);
  EXPECT_EQ(surface.Pixel(3, 3), RGB(40, 50, 60));
  EXPECT_EQ(GetBkColor(surface.DC), RGB(40, 50, 60));
}

TEST_F(PaintingTest, PlainBrushSharedByChainAndRenewed) {
  TScopedPatch plain(ControlBrushHook, PlainControlBrush);
  TControl* panel = NewPanel(Form);
  TControl* inner = NewLabel(panel, L"");
  TControl* button = NewButton(Form, L"Face");

  HBRUSH shared = PlainControlBrush(inner);
  EXPECT_EQ(PlainControlBrush(panel), shared);
  EXPECT_EQ(PlainControlBrush(Form), shared);
  EXPECT_EQ(Form->BrushHandle, shared);
  EXPECT_EQ(inner->BrushHandle, nullptr);
  HBRUSH face = PlainControlBrush(button);
  EXPECT_NE(face, shared);
  EXPECT_EQ(button->BrushHandle, face);

  TApiRecorder rec;
  RECORD(rec, CreateSolidBrush);
  RECORD(rec, DeleteObject);
  TScopedPatch sysColor(Api.GetSysColor, [](int) -> DWORD { return RGB(9, 8, 7); });
  HBRUSH renewed = PlainControlBrush(inner);
  ASSERT_EQ(rec.Count("DeleteObject"), 1u);
  EXPECT_EQ(rec.Only("DeleteObject")[0].Arg(0), reinterpret_cast<uintptr_t>(shared));
  ASSERT_EQ(rec.Count("CreateSolidBrush"), 1u);
  EXPECT_EQ(rec.Only("CreateSolidBrush")[0].Arg(0), RGB(9, 8, 7));
  EXPECT_EQ(Form->BrushHandle, renewed);
  EXPECT_EQ(PlainControlBrush(panel), renewed);
  EXPECT_EQ(rec.Count("CreateSolidBrush"), 1u);  // made once for the new colour
}

TEST_F(PaintingTest, ToolBrushSharedWithSameColouredParent) {
  TScopedPatch tool(ControlBrushHook, ToolControlBrush);
  TControl* label = NewLabel(Form, L"");
  HBRUSH formBrush = ToolControlBrush(Form);
  ASSERT_NE(formBrush, nullptr);
  EXPECT_EQ(ToolControlBrush(label), formBrush);
  EXPECT_EQ(label->Brush->Handle, nullptr);  // borrowed, not its own

  label->SetColor(RGB(1, 2, 3));
  HBRUSH own = ToolControlBrush(label);
  EXPECT_NE(own, formBrush);
  EXPECT_EQ(static_cast<HGDIOBJ>(own), label->Brush->Handle);
  label->SetColor(Form->Color);
  EXPECT_EQ(ToolControlBrush(label), formBrush);

  // Moved to another parent, the label never borrows from the old one again.
  TControl* other = NewForm(nullptr, L"Other");
  label->SetParentControl(other);
  other->SetColor(RGB(4, 5, 6));
  ToolControlBrush(label);
  EXPECT_NE(label->Brush->ParentTool, Form->Brush);
  Free(other);
}

TEST_F(PaintingTest, FontReachesWindowAndCanvas) {
  TControl* button = NewButton(Form, L"Font");
  Open();
  TGraphicTool* font = button->GetFont();
  font->SetFontName(L"Arial");
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(button->Handle, WM_GETFONT, 0, 0)),
            font->GetHandle());

  TCanvas* canvas = GetCanvas(button);
  ASSERT_NE(canvas->Font, nullptr);
  EXPECT_EQ(StrCompW(canvas->Font->FontRecord().lfFaceName, L"Arial"), 0);
  font->SetIntProp(FontHeightProp, 15);
  EXPECT_EQ(canvas->Font->FontRecord().lfHeight, 15);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(button->Handle, WM_GETFONT, 0, 0)),
            font->GetHandle());
}

// A child's font tool borrows its parent's handle while they agree; the
// window it was given must never outlive that handle.
TEST_F(PaintingTest, WindowsNeverKeepADeletedFont) {
  auto windowFont = [](TControl* c) {
    return reinterpret_cast<HGDIOBJ>(SendMessageW(c->Handle, WM_GETFONT, 0, 0));
  };
  TApiRecorder rec;
  RECORD(rec, DeleteObject);
  auto deleted = [&](HGDIOBJ font) {
    for (const TRecordedCall& d : rec.Only("DeleteObject"))
      if (d.Arg(0) == reinterpret_cast<uint64_t>(font)) return true;
    return false;
  };

  // The parent's font changes after the child took it.
  Form->GetFont()->SetFontName(L"Arial");
  TControl* button = NewButton(Form, L"Kapat");
  Open();
  ASSERT_NE(windowFont(button), nullptr);
  Form->GetFont()->SetIntProp(FontHeightProp, 20);
  EXPECT_FALSE(deleted(windowFont(button)));
  EXPECT_EQ(GetObjectType(windowFont(button)), static_cast<DWORD>(OBJ_FONT));

  // Moved to another parent, the child borrows from that one, never from the
  // former parent, which is freed.
  TControl* former = NewForm(nullptr, L"Former");
  former->GetFont()->SetFontName(L"Tahoma");
  TControl* moved = NewButton(former, L"Moved");
  ASSERT_TRUE(former->CreateHandle());
  ASSERT_EQ(moved->Font->ParentTool, former->Font);
  moved->SetParentControl(Form);
  EXPECT_EQ(moved->Font->ParentTool, Form->Font);
  Free(former);
  EXPECT_NE(moved->Font->GetHandle(), nullptr);
  EXPECT_FALSE(deleted(windowFont(moved)));

  // A form going away takes the fonts off its windows before deleting them.
  rec.ClearCalls();
  TControl* closing = NewForm(nullptr, L"Closing");
  closing->GetFont()->SetFontName(L"Arial");
  TControl* last = NewButton(closing, L"Last");
  ASSERT_TRUE(closing->CreateHandle());
  HWND lastWnd = last->Handle;
  static HWND watched;
  static bool heldDeletedFont;
  watched = lastWnd;
  heldDeletedFont = false;
  rec.Paused = true;
  TScopedPatch check(Api.DeleteObject, [](HGDIOBJ object) -> BOOL {
    if (IsWindow(watched) &&
        reinterpret_cast<HGDIOBJ>(SendMessageW(watched, WM_GETFONT, 0, 0)) == object)
      heldDeletedFont = true;
    return DefaultApi.DeleteObject(object);
  });
  Free(closing);
  EXPECT_FALSE(heldDeletedFont);
}

}  // namespace
