#include <gtest/gtest.h>

#include <vector>

#include "graphics/Bitmap.h"
#include "support/ApiPatch.h"
#include "support/GdiLedger.h"

namespace {

DWORD WINAPI WindowColorOnly(int index) { return index == 0x40000005 ? 0x00336699 : 0; }

DWORD SysColor;
DWORD WINAPI ScriptedSysColor(int) { return SysColor; }

HBITMAP Watched;
bool SelectedAtDeleteDC;
BOOL WINAPI CheckingDeleteDC(HDC dc) {
  SelectedAtDeleteDC = GetCurrentObject(dc, OBJ_BITMAP) == Watched;
  return DefaultApi.DeleteDC(dc);
}

}  // namespace

TEST(OffscreenBitmap, AZeroSideMakesNoPlatformCall) {
  TApiRecorder rec;
  RECORD(rec, GetDC);
  RECORD(rec, CreateCompatibleBitmap);
  RECORD(rec, CreateCompatibleDC);
  for (auto [width, height] : {std::pair{0, 40}, {40, 0}}) {
    TBitmap* bitmap = NewOffscreenBitmap(width, height);
    EXPECT_TRUE(bitmap->IsEmpty());
    EXPECT_EQ(bitmap->GetHandle(), nullptr);
    EXPECT_EQ(bitmap->GetCanvas(), nullptr);
    Free(bitmap);
  }
  EXPECT_EQ(rec.Calls.size(), 0u);
}

TEST(OffscreenBitmap, OneCanvasKeepsWhatWasDrawnAcrossGetHandle) {
  TApiRecorder rec;
  RECORD(rec, CreateCompatibleDC);
  RECORD(rec, SelectObject);
  TBitmap* bitmap = NewOffscreenBitmap(240, 300);
  TCanvas* canvas = bitmap->GetCanvas();
  ASSERT_NE(canvas, nullptr);
  canvas->GetBrush()->SetColor(0x000000FF);
  canvas->Rectangle(0, 0, 100, 100);
  HDC memory = canvas->DC;

  HBITMAP handle = bitmap->GetHandle();
  EXPECT_NE(GetCurrentObject(memory, OBJ_BITMAP), handle);  // free for another DC
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ before = SelectObject(other, handle);
  EXPECT_EQ(GetPixel(other, 50, 50), 0x000000FFu);
  SelectObject(other, before);
  DeleteDC(other);

  rec.ClearCalls();
  EXPECT_EQ(bitmap->GetCanvas(), canvas);
  EXPECT_EQ(rec.Count("CreateCompatibleDC"), 0u);
  EXPECT_EQ(rec.Count("SelectObject"), 1u);  // back in; it was out already
  EXPECT_EQ(bitmap->GetCanvas(), canvas);
  EXPECT_EQ(rec.Count("SelectObject"), 3u);  // out and in again
  canvas->GetBrush()->SetColor(0x0000FF00);
  canvas->Rectangle(100, 0, 200, 100);
  EXPECT_EQ(GetPixel(memory, 50, 50), 0x000000FFu);
  EXPECT_EQ(GetPixel(memory, 150, 50), 0x0000FF00u);

  // A detached DC is replaced and the bitmap selected into the new one.
  canvas->SetHandle(nullptr);
  ASSERT_EQ(bitmap->GetCanvas(), canvas);
  EXPECT_EQ(GetCurrentObject(canvas->DC, OBJ_BITMAP), handle);
  Free(bitmap);
}

TEST(OffscreenBitmap, AnUntouchedCanvasFillsWithTheWindowColour) {
  TScopedPatch colors(Api.GetSysColor, WindowColorOnly);
  TBitmap* bitmap = NewOffscreenBitmap(32, 32);
  TCanvas* canvas = bitmap->GetCanvas();
  ASSERT_NE(canvas, nullptr);
  canvas->Rectangle(0, 0, 32, 32);
  EXPECT_EQ(GetPixel(canvas->DC, 16, 16), 0x00336699u);

  // A canvas made later for the bitmap starts with the brush colour last used.
  canvas->GetBrush()->SetColor(0x00445566);
  canvas->LineTo(1, 1);
  bitmap->FreeCanvas();
  canvas = bitmap->GetCanvas();
  ASSERT_NE(canvas, nullptr);
  ASSERT_NE(canvas->Brush, nullptr);
  EXPECT_EQ(canvas->Brush->Color(), 0x00445566u);
  Free(bitmap);
}

TEST(OffscreenBitmap, TheDcGoesFirstWithTheBitmapOutThenTheBitmap) {
  TGdiLedger ledger;
  TScopedPatch check(Api.DeleteDC, CheckingDeleteDC);
  RECORD(ledger.Rec, DeleteDC);
  TBitmap* bitmap = NewOffscreenBitmap(40, 40);
  ASSERT_NE(bitmap->GetCanvas(), nullptr);
  bitmap->Canvas->LineTo(30, 30);
  Watched = bitmap->Handle;
  SelectedAtDeleteDC = true;
  bitmap->Clear();
  EXPECT_FALSE(SelectedAtDeleteDC);
  const auto& calls = ledger.Rec.Calls;
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().Arg(0), reinterpret_cast<uint64_t>(Watched));
  EXPECT_EQ(ledger.Rec.Count("DeleteDC"), 1u);
  EXPECT_NE(calls.back().Name, "DeleteDC");
  EXPECT_TRUE(bitmap->IsEmpty());
  EXPECT_EQ(bitmap->GetCanvas(), nullptr);
  Free(bitmap);
  EXPECT_EQ(ledger.Faults(), std::vector<std::string>{});
}

TEST(OffscreenBitmap, EveryObjectMadeIsDeletedOnce) {
  TGdiLedger ledger;
  RECORD(ledger.Rec, GetDC);
  RECORD(ledger.Rec, ReleaseDC);
  SysColor = 0x00000010;
  TScopedPatch colors(Api.GetSysColor, ScriptedSysColor);
  TBitmap* bitmap = NewOffscreenBitmap(100, 60);
  for (int row = 0; row < 5; ++row) {
    TCanvas* canvas = bitmap->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->GetBrush()->SetColor(row % 2 ? 0x00FFFFFF : 0x00C0C0C0);
    canvas->Rectangle(0, row * 12, 100, row * 12 + 12);
    canvas->GetPen()->SetColor(SysColorWindowText);
    canvas->GetPen()->SetPenStyle(static_cast<unsigned char>(row));
    canvas->MoveTo(0, row * 12 + 11);
    canvas->LineTo(100, row * 12 + 11);
    SysColor += 0x10;  // pen and font renew at their next selection
    canvas->GetFont()->SetIntProp(4, 10 + row % 2);
    RECT rect = {2, row * 12, 98, row * 12 + 12};
    canvas->DrawText(L"Deneme", &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    canvas->Rectangle(0, 0, 3, 3);
    TGraphicTool* copy = Assign(nullptr, canvas->Font);
    canvas->Font = Assign(canvas->Font, copy);
    Free(copy);
    EXPECT_NE(bitmap->GetHandle(), nullptr);
    if (row == 2) bitmap->FreeCanvas();
  }
  Free(bitmap);
  EXPECT_GE(ledger.Created(), 20u);
  EXPECT_EQ(ledger.Rec.Count("GetDC"), 1u);
  EXPECT_EQ(ledger.Rec.Count("ReleaseDC"), 1u);  // the screen DC, at once
  EXPECT_EQ(ledger.Faults(), std::vector<std::string>{});
}
