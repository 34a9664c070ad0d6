#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "support/ListBoxSupport.h"
#include "core/PtrList.h"
#include "support/GdiLedger.h"

namespace {

typedef TListBoxFixture GlideStripboxTest;

TEST_F(GlideStripboxTest, CreateLeavesAnIdleListWithAPanelSizedBuffer) {
  EXPECT_EQ(List->Selected.y, -1);
  EXPECT_FALSE(List->Timer->Enabled);
  EXPECT_EQ(List->Timer->Interval, 10);
  EXPECT_EQ(List->Panel->Color, 0x00FFFFFFu);
  EXPECT_TRUE(IsWindowVisible(List->Panel->Handle));
  // Made at its final size, the panel never reports a resize; the buffer follows anyway.
  EXPECT_EQ(List->BackBuffer->Width, 240);
  EXPECT_EQ(List->BackBuffer->Height, 250);
}

TEST(GlideStripboxCreate, FailureDestroysThePartialObjectAndPropagates) {
  TControl* form = NewForm(nullptr, L"Failing list");
  int timers = TimerCount;
  HWND panelWindow = nullptr;
  {
    // Activation is the last step: panel, buffer, timer and window all exist by then.
    static HWND* seen;
    seen = &panelWindow;
    TScopedPatch refuse(Api.SetForegroundWindow, [](HWND window) -> BOOL {
      *seen = window;
      throw std::runtime_error("refused");
    });
    EXPECT_THROW(TGlideStripbox::Create(form, 0, 0, 240, 250, alNone), std::runtime_error);
  }
  EXPECT_EQ(form->ChildCount(), 0);
  EXPECT_EQ(TimerCount, timers);
  ASSERT_NE(panelWindow, nullptr);
  EXPECT_FALSE(IsWindow(panelWindow));
  Free(form);
}

TEST_F(GlideStripboxTest, ExtentsFollowTheItemCount) {
  EXPECT_EQ(List->MaxOffsetY(), 4800);   // 101 x 50 - 250
  EXPECT_EQ(List->MaxOffsetX(), 24000);  // 101 x 240 - 240
  Fill(3);
  EXPECT_EQ(List->MaxOffsetY(), 0);
  Fill(0);
  EXPECT_EQ(List->MaxOffsetX(), 0);
}

TEST_F(GlideStripboxTest, NineMillionItemsSaturateInsteadOfOverflowing) {
  // Reserved up front, so padding the list with empty items stays quick.
  List->GetItems()->ItemList->SetCapacity(9000000);
  List->GetItems()->Insert(8999999, L"last");
  ASSERT_EQ(List->GetItems()->Count(), 9000000);

  EXPECT_EQ(List->MaxOffsetY(), 9000000 * 50 - 250);
  EXPECT_EQ(List->MaxOffsetX(), INT_MAX);  // 9 million x 240 does not fit
  List->ItemHeight = 240;
  EXPECT_EQ(List->MaxOffsetY(), INT_MAX);

  // At the far end a move further down stays there, and the rows under it are found.
  List->Offset.y = INT_MAX;
  Stylus(WM_LBUTTONDOWN, 100, 200);
  Stylus(WM_MOUSEMOVE, 100, 100);
  EXPECT_EQ(List->Offset.y, INT_MAX);
  EXPECT_EQ(List->HitTest(0, 250).y, (INT_MAX + 250LL) / 240);
  Stylus(WM_MOUSEMOVE, 100, 300);
  EXPECT_EQ(List->Offset.y, INT_MAX - 200);
  Stylus(WM_LBUTTONUP, 100, 300);
  List->Timer->SetEnabled(false);
  List->GetItems()->Clear();
}

TEST_F(GlideStripboxTest, LineColorRepaintsOnlyWhenItChanges) {
  TApiRecorder rec;
  RECORD(rec, InvalidateRect);
  List->SetLineColor(0x00C0C0C0);
  EXPECT_EQ(rec.Count("InvalidateRect"), 0u);
  List->SetLineColor(0x000000FF);
  ASSERT_EQ(rec.Count("InvalidateRect"), 1u);
  EXPECT_EQ(rec.Calls[0].Arg(0), RecordedValue(List->Panel->Handle));
  EXPECT_EQ(List->LineColor, 0x000000FFu);
}

TEST_F(GlideStripboxTest, ResizeDuringAGlideReturnsToTheTop) {
  List->Offset = {0, 500};
  List->Speed = {0, 10};
  List->Selected = {0, 3};
  List->LastTapTick = 1234;
  List->Timer->SetEnabled(true);

  RECT bounds = {0, 0, 200, 300};
  List->Panel->SetBounds(bounds);

  EXPECT_FALSE(List->Timer->Enabled);
  EXPECT_EQ(List->Offset.y, 0);
  EXPECT_EQ(List->Speed.y, 0);
  EXPECT_EQ(List->Selected.y, -1);
  EXPECT_EQ(List->LastTapTick, 0u);
  EXPECT_EQ(List->ItemWidth, 200);
  EXPECT_EQ(List->BackBuffer->Width, 200);
  EXPECT_EQ(List->BackBuffer->Height, 300);
}

TEST_F(GlideStripboxTest, FontChangesReachTheRowsDrawn) {
  TGraphicTool* font = List->Panel->GetFont();
  font->SetFontName(L"Arial");
  font->SetIntProp(FontHeightProp, 15);
  const LOGFONTW& buffered = List->BackBuffer->GetCanvas()->GetFont()->FontRecord();
  EXPECT_EQ(std::wstring(buffered.lfFaceName), L"Arial");
  EXPECT_EQ(buffered.lfHeight, 15);

  // A resize builds a new buffer, which takes the font over as well.
  RECT bounds = {0, 0, 220, 250};
  List->Panel->SetBounds(bounds);
  TGraphicTool* rebuilt = List->BackBuffer->GetCanvas()->GetFont();
  EXPECT_EQ(std::wstring(rebuilt->FontRecord().lfFaceName), L"Arial");
  EXPECT_EQ(rebuilt->FontRecord().lfHeight, 15);

  // The font selected while the rows are drawn is that font.
  static std::wstring face;
  static LONG height;
  face.clear();
  TScopedPatch draw(Api.DrawTextW, [](HDC dc, LPCWSTR text, int length, LPRECT rect,
                                      UINT format) -> int {
    LOGFONTW record = {};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(record), &record);
    face = record.lfFaceName;
    height = record.lfHeight;
    return DefaultApi.DrawTextW(dc, text, length, rect, format);
  });
  PaintPanel();
  EXPECT_EQ(face, L"Arial");
  EXPECT_EQ(height, 15);
}

TEST_F(GlideStripboxTest, DestroyingTheListBoxTakesThePanelOffTheForm) {
  int timers = TimerCount;
  HWND panelWindow = List->Panel->Handle;
  List->Destroy();
  List = nullptr;
  EXPECT_EQ(Form->ChildCount(), 0);
  EXPECT_FALSE(IsWindow(panelWindow));
  EXPECT_EQ(TimerCount, timers - 1);
}

TEST_F(GlideStripboxTest, DestroyingTheListBoxAfterTheFormIsSafe) {
  List->Speed = {0, 15};
  List->Timer->SetEnabled(true);
  Free(Form);
  Form = nullptr;
  ASSERT_EQ(List->Panel, nullptr);
  EXPECT_FALSE(List->Timer->Enabled);
  // A tick that still comes finds no panel to move or repaint.
  TGlideStripbox::TimerTick(List, List->Timer);
  PumpMessages();
  List->Destroy();
  List = nullptr;
}

TEST_F(GlideStripboxTest, PanelThatOutlivesTheListBoxNoLongerLeadsToIt) {
  TControl* panel = List->Panel;
  AddRef(panel);
  List->Destroy();
  List = nullptr;
  EXPECT_FALSE(panel->OnDestroy.Assigned());
  EXPECT_FALSE(panel->OnMouseDown.Assigned());
  EXPECT_FALSE(panel->OnPaint.Assigned());
  EXPECT_TRUE(panel->GetFont()->OnChange.Code == &FontToolChanged);
  Free(panel);
}

// Buffers rebuilt by resizes, tools renewed by every row: each object is deleted once.
TEST(GlideStripboxLifetime, EveryPlatformObjectIsDeletedOnce) {
  for (bool formFirst : {false, true}) {
    SCOPED_TRACE(formFirst);
    TGdiLedger ledger;
    RECORD(ledger.Rec, CreateRectRgn);  // the update region of each paint
    TControl* form = NewForm(nullptr, L"Ledger");
    TGlideStripbox* list = TGlideStripbox::Create(form, 0, 0, 240, 250, alNone);
    form->CreateHandle();
    for (int i = 0; i < 20; ++i) list->GetItems()->Add(L"Row");
    list->Selected = {0, 1};
    RedrawWindow(list->Panel->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT bounds = {0, 0, 200, 300};
    list->Panel->SetBounds(bounds);
    list->Panel->GetFont()->SetFontName(L"Arial");
    RedrawWindow(list->Panel->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    if (formFirst) Free(form);
    list->Destroy();
    if (!formFirst) Free(form);
    PumpMessages();
    EXPECT_GT(ledger.Created(), 0u);
    EXPECT_EQ(ledger.Faults(), std::vector<std::string>{});
  }
}

}  // namespace
