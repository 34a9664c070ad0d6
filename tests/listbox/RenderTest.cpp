#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ListBoxSupport.h"

namespace {

const COLORREF White = 0x00FFFFFF;
const COLORREF Line = 0x00C0C0C0;
const COLORREF SelectedFill = 0x00F0CAA6;

typedef TListBoxFixture RenderTest;

std::vector<std::wstring> Items(int first, int last) {
  std::vector<std::wstring> out;
  for (int i = first; i <= last; ++i) out.push_back(L"Item " + std::to_wstring(i));
  return out;
}

TEST_F(RenderTest, PaintDrawsTheVisibleRowsAndOneBeyond) {
  TDrawnTexts drawn;
  PaintPanel();
  EXPECT_EQ(drawn.Texts(), Items(0, 5));  // row 5 lies below the bitmap, clipped

  TDrawnTexts scrolled;
  List->Offset.y = 120;
  PaintPanel();
  ASSERT_EQ(scrolled.Texts(), Items(1, 7));
  // Row 2 runs from -20 to 30; the text keeps a margin of 2 and 1 pixels.
  RECT row2 = TDrawnTexts::Calls[1].Rect;
  EXPECT_EQ(row2.left, 2);
  EXPECT_EQ(row2.top, -19);
  EXPECT_EQ(row2.right, 238);
  EXPECT_EQ(row2.bottom, 29);
}

TEST_F(RenderTest, EachPaintReachesThePanelInOneBlockTransfer) {
  TApiRecorder rec;
  RECORD(rec, BitBlt);
  PaintPanel();
  ASSERT_EQ(rec.Count("BitBlt"), 1u);
  const TRecordedCall& blt = rec.Calls[0];
  EXPECT_EQ(blt.Arg(1), 0u);
  EXPECT_EQ(blt.Arg(2), 0u);
  EXPECT_EQ(blt.Arg(3), 240u);
  EXPECT_EQ(blt.Arg(4), 250u);
  EXPECT_EQ(blt.Arg(5), RecordedValue(List->BackBuffer->Canvas->DC));
  EXPECT_EQ(blt.Arg(8), static_cast<uint64_t>(SRCCOPY));
  EXPECT_NE(blt.Result, 0u);
}

TEST_F(RenderTest, SeparatorLinesLieEveryRowHeight) {
  PaintPanel();
  for (int y : {0, 50, 100, 150, 200}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(BufferPixel(200, y), Line);
    EXPECT_EQ(BufferPixel(0, y), Line);
    EXPECT_EQ(BufferPixel(239, y), Line);
    EXPECT_EQ(BufferPixel(200, y + 25), White);
  }
  // Scrolled by 120, the row boundaries move up with the content.
  List->Offset.y = 120;
  PaintPanel();
  EXPECT_EQ(BufferPixel(200, 30), Line);
  EXPECT_EQ(BufferPixel(200, 0), White);
}

TEST_F(RenderTest, SelectedRowIsFilledBetweenItsLines) {
  List->Selected = {0, 2};  // y 100 to 150
  TDrawnTexts drawn;
  PaintPanel();
  EXPECT_EQ(BufferPixel(200, 100), Line);
  EXPECT_EQ(BufferPixel(200, 101), SelectedFill);
  EXPECT_EQ(BufferPixel(200, 125), SelectedFill);
  EXPECT_EQ(BufferPixel(0, 148), SelectedFill);
  EXPECT_EQ(BufferPixel(200, 150), Line);
  EXPECT_EQ(BufferPixel(200, 75), White);
  EXPECT_EQ(BufferPixel(200, 175), White);

  // White text, transparent, for the selected row; the font's colour for the others.
  ASSERT_EQ(TDrawnTexts::Calls.size(), 6u);
  COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
  for (const TDrawnText& call : TDrawnTexts::Calls) {
    SCOPED_TRACE(std::string(call.Text.begin(), call.Text.end()));
    bool selected = call.Text == L"Item 2";
    EXPECT_EQ(call.TextColor, selected ? White : windowText);
    EXPECT_EQ(call.Format, static_cast<UINT>(DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER));
    if (selected) {
      EXPECT_EQ(call.BkMode, TRANSPARENT);
    }
  }
}

TEST_F(RenderTest, ShortListShowsTheBackgroundBelowItsRows) {
  Fill(3);
  TDrawnTexts drawn;
  PaintPanel();
  EXPECT_EQ(drawn.Texts(), Items(0, 2));
  EXPECT_EQ(BufferPixel(200, 150), Line);  // bottom of the last row
  EXPECT_EQ(BufferPixel(200, 200), White);
  EXPECT_EQ(BufferPixel(200, 249), White);
}

TEST_F(RenderTest, EmptyListDrawsOnlyTheBackground) {
  Fill(0);
  List->Panel->SetColor(0x00E0E0E0);
  TDrawnTexts drawn;
  TApiRecorder rec;
  RECORD(rec, BitBlt);
  PaintPanel();
  EXPECT_TRUE(drawn.Texts().empty());
  EXPECT_EQ(rec.Count("BitBlt"), 1u);
  for (int y : {0, 50, 125, 249}) EXPECT_EQ(BufferPixel(120, y), 0x00E0E0E0u) << y;
}

}  // namespace
