// Child alignment laid out by real windows under Wine. The children sit on a
// 100 x 100 panel (a panel has no border, so its client area is its size).
#include <gtest/gtest.h>

#include "controls/Align.h"
#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "support/ApiPatch.h"
#include "support/LoopSupport.h"
#include "support/TestWindows.h"

namespace {

RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }

// Where the child's window really is, in its parent's client coordinates.
RECT WindowPlace(TControl* child) {
  RECT rect = {};
  GetWindowRect(child->Handle, &rect);
  MapWindowPoints(nullptr, child->Parent->Handle, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

#define EXPECT_RECT(actual, l, t, r, b)                  \
  do {                                                   \
    RECT got_ = (actual);                                \
    EXPECT_EQ(got_.left, l) << #actual;                  \
    EXPECT_EQ(got_.top, t) << #actual;                   \
    EXPECT_EQ(got_.right, r) << #actual;                 \
    EXPECT_EQ(got_.bottom, b) << #actual;                \
  } while (0)

class AlignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFrameworkState();
    SavedHook = RealignHook;
    Form = NewForm(nullptr, L"Align");
    Host = NewPanel(Form);
    Host->SetBounds(Rect(0, 0, 100, 100));
    ASSERT_EQ(Host->AlignMargin, 2);
  }
  void TearDown() override {
    Free(Form);
    RealignHook = SavedHook;
    ResetFrameworkState();
  }
  // A child panel of the host with the given size.
  TControl* Sized(int width, int height) { return NewPanel(Host)->SetSize(width, height); }
  // The same, aligned afterwards.
  TControl* Child(int width, int height, TAlign align) {
    TControl* child = Sized(width, height);
    SetAlign(child, align);
    return child;
  }

  TRealignProc SavedHook = nullptr;
  TControl* Form = nullptr;
  TControl* Host = nullptr;
};

TEST_F(AlignTest, EdgesStackFromTheOutsideInAndClientFillsTheRest) {
  TControl* top = Child(64, 20, alTop);
  TControl* bottom = Child(64, 10, alBottom);
  TControl* left = Child(30, 64, alLeft);
  TControl* client = Child(64, 64, alClient);
  TControl* odd = NewPanel(Host);  // an alignment the layout does not know
  RECT oddBefore = odd->GetBounds();
  SetAlign(odd, 6);
  Form->CreateHandle();
  ASSERT_TRUE(IsWindowVisible(Host->Handle));

  EXPECT_RECT(top->GetBounds(), 2, 2, 98, 22);
  EXPECT_RECT(bottom->GetBounds(), 2, 88, 98, 98);
  EXPECT_RECT(left->GetBounds(), 2, 24, 32, 86);
  EXPECT_RECT(client->GetBounds(), 34, 24, 98, 86);
  EXPECT_RECT(WindowPlace(top), 2, 2, 98, 22);
  EXPECT_RECT(WindowPlace(bottom), 2, 88, 98, 98);
  EXPECT_RECT(WindowPlace(left), 2, 24, 32, 86);
  EXPECT_RECT(WindowPlace(client), 34, 24, 98, 86);
  EXPECT_RECT(odd->GetBounds(), oddBefore.left, oddBefore.top, oddBefore.right, oddBefore.bottom);

  // A second top child goes below the first, one margin apart.
  TControl* second = Child(64, 10, alTop);
  EXPECT_RECT(second->GetBounds(), 2, 24, 98, 34);
  EXPECT_RECT(left->GetBounds(), 2, 36, 32, 86);
  EXPECT_RECT(client->GetBounds(), 34, 36, 98, 86);
}

TEST_F(AlignTest, ALayoutThatChangesNothingMovesNoWindow) {
  Child(64, 20, alTop);
  TControl* client = Child(64, 64, alClient);
  TControl* inner = NewPanel(client);
  SetAlign(inner, alClient);
  Form->CreateHandle();
  TApiRecorder rec;
  RECORD(rec, SetWindowPos);
  RECORD(rec, GetClientRect);
  AlignChildren(Host);
  EXPECT_EQ(rec.Count("SetWindowPos"), 0u);
  // Only the host's own area is read: the unchanged child's children are left as they are.
  ASSERT_EQ(rec.Count("GetClientRect"), 1u);
  EXPECT_EQ(rec.Only("GetClientRect")[0].Arg(0), RecordedValue(Host->Handle));
}

TEST_F(AlignTest, SetAlignWithTheCurrentValueMakesNoPlatformCall) {
  TControl* top = Child(64, 20, alTop);
  TControl* plain = NewPanel(Host);
  Form->CreateHandle();
  RealignHook = nullptr;

  TApiRecorder rec;
  RECORD(rec, GetWindowRect);
  RECORD(rec, GetClientRect);
  RECORD(rec, ClientToScreen);
  RECORD(rec, SetWindowPos);
  RECORD(rec, OffsetRect);
  RECORD(rec, InflateRect);
  RECORD(rec, CreateWindowExW);
  RECORD(rec, ShowWindow);
  SetAlign(top, alTop);
  SetAlign(plain, alNone);
  EXPECT_EQ(rec.Calls.size(), 0u);
  EXPECT_EQ(RealignHook, &Realign);  // installed even so
}

TEST_F(AlignTest, HiddenChildLeavesItsSpaceAndGetsItBackWhenShown) {
  TControl* top = Child(64, 20, alTop);
  TControl* client = Child(64, 64, alClient);
  Form->CreateHandle();
  EXPECT_RECT(client->GetBounds(), 2, 24, 98, 98);

  top->SetVisible(false);
  EXPECT_RECT(client->GetBounds(), 2, 2, 98, 98);
  EXPECT_RECT(top->GetBounds(), 2, 2, 98, 22);  // keeps its bounds

  top->SetVisible(true);
  EXPECT_RECT(top->GetBounds(), 2, 2, 98, 22);
  EXPECT_RECT(client->GetBounds(), 2, 24, 98, 98);
  EXPECT_RECT(WindowPlace(client), 2, 24, 98, 98);
}

TEST_F(AlignTest, ClientSqueezedOutGetsZeroSizeNeverNegative) {
  TControl* top = Sized(64, 60);
  TControl* bottom = Sized(64, 60);
  TControl* left = Sized(60, 64);
  TControl* right = Sized(60, 64);
  TControl* client = Sized(64, 64);
  Form->CreateHandle();  // every window exists, so each placement is a SetWindowPos
  TApiRecorder rec;
  RECORD(rec, SetWindowPos);
  SetAlign(top, alTop);
  SetAlign(bottom, alBottom);
  SetAlign(left, alLeft);
  SetAlign(right, alRight);
  SetAlign(client, alClient);

  // The platform would clamp a negative size itself, so the requests are checked.
  ASSERT_GE(rec.Count("SetWindowPos"), 5u);
  for (const auto& call : rec.Only("SetWindowPos")) {
    EXPECT_GE(static_cast<int32_t>(call.Arg(4)), 0);
    EXPECT_GE(static_cast<int32_t>(call.Arg(5)), 0);
  }
  EXPECT_RECT(left->GetBounds(), 2, 64, 62, 64);
  EXPECT_RECT(right->GetBounds(), 38, 64, 98, 64);
  EXPECT_RECT(client->GetBounds(), 64, 64, 64, 64);
  EXPECT_RECT(WindowPlace(client), 64, 64, 64, 64);
}

TEST_F(AlignTest, ResizingTheParentLaysItsChildrenOutAgain) {
  TControl* top = Child(64, 20, alTop);
  TControl* client = Child(64, 64, alClient);
  TControl* inner = NewPanel(client);  // laid out when its aligned parent is resized
  SetAlign(inner, alClient);
  Form->CreateHandle();
  EXPECT_RECT(inner->GetBounds(), 2, 2, 94, 72);

  Host->SetBounds(Rect(0, 0, 200, 150));
  EXPECT_RECT(top->GetBounds(), 2, 2, 198, 22);
  EXPECT_RECT(client->GetBounds(), 2, 24, 198, 148);
  EXPECT_RECT(inner->GetBounds(), 2, 2, 194, 122);
  EXPECT_RECT(WindowPlace(inner), 2, 2, 194, 122);
}

TEST_F(AlignTest, LayoutOfAHiddenParentWaitsUntilItIsShown) {
  Form->CreateHandle();
  Host->SetVisible(false);
  TControl* top = NewPanel(Host);
  top->SetSize(64, 20);
  RECT before = top->GetBounds();
  SetAlign(top, alTop);
  EXPECT_RECT(top->GetBounds(), before.left, before.top, before.right, before.bottom);
  EXPECT_TRUE(Host->AlignState & RealignPending);

  Host->SetVisible(true);
  EXPECT_RECT(top->GetBounds(), 2, 2, 98, 22);
  EXPECT_FALSE(Host->AlignState & RealignPending);
}

}  // namespace
