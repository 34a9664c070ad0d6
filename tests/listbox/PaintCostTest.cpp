// What one paint costs the platform: the back buffer's bitmap is taken out
// of its DC and selected back in once per paint, not once per drawing step
// (each of those selections costs more than drawing a row).
#include <gtest/gtest.h>

#include "support/ListBoxSupport.h"

namespace {

typedef TListBoxFixture PaintCostTest;

size_t BitmapSelections(const TApiRecorder& rec) {
  size_t count = 0;
  for (const TRecordedCall& call : rec.Only("SelectObject")) {
    HGDIOBJ object = reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(call.Arg(1)));
    if (GetObjectType(object) == OBJ_BITMAP) ++count;
  }
  return count;
}

TEST_F(PaintCostTest, APaintSelectsTheBackBufferBitmapOutAndInOnce) {
  PaintPanel();  // the tools and their objects exist from here on
  for (int offset : {0, 120}) {
    SCOPED_TRACE(offset);
    List->Offset.y = offset;
    TApiRecorder rec;
    RECORD(rec, SelectObject);
    RECORD(rec, DrawTextW);
    PaintPanel();
    ASSERT_GE(rec.Count("DrawTextW"), 6u);  // six or seven rows drawn
    EXPECT_EQ(BitmapSelections(rec), 2u);
    // The bitmap stays selected after the paint, holding what was drawn.
    HDC buffer = List->BackBuffer->Canvas->DC;
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(GetCurrentObject(buffer, OBJ_BITMAP), List->BackBuffer->Handle);
  }
}

}  // namespace
