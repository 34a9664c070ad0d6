#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/ApiPatch.h"
#include "support/TestWindows.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/WStrList.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "listbox/GlideStripbox.h"

namespace {

// MessageBoxW as the demo called it; no box is shown.
struct TShownBox {
  HWND Owner;
  std::wstring Text;
  std::wstring Caption;
  UINT Style;
  int Count;
};
TShownBox Shown;

int WINAPI FakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
  Shown.Owner = owner;
  Shown.Text = text != nullptr ? text : L"(null)";
  Shown.Caption = caption != nullptr ? caption : L"(null)";
  Shown.Style = style;
  ++Shown.Count;
  return IDOK;
}

class DemoFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shown = TShownBox{};
    NewDemoForm(Holder, nullptr);
    Form = Holder->Form;
    List = Holder->ListBox;
  }
  void TearDown() override {
    if (Form != nullptr) {
      MainForm = nullptr;
      Free(Form);  // frees the holder with it
    }
    // The demo never frees its list box; after the form has gone that is safe.
    if (List != nullptr) List->Destroy();
    PumpMessages();
  }

  void Stylus(UINT message, int x, int y) {
    SendMessageW(List->Panel->Handle, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  }
  void Tap(int x, int y) {
    Stylus(WM_LBUTTONDOWN, x, y);
    Stylus(WM_LBUTTONUP, x, y);
  }

  TDemoForm* Holder = nullptr;
  TControl* Form = nullptr;
  TGlideStripbox* List = nullptr;
};

TEST_F(DemoFormTest, FormHoldsTheCloseButtonAndTheHundredAndOneItems) {
  EXPECT_EQ(MainForm, Form);
  EXPECT_EQ(Form->Text, L"GlideStrip Demo");
  EXPECT_EQ(Holder->Button->Text, L"Kapat");
  EXPECT_EQ(Holder->Button->Parent, Form);
  ASSERT_NE(List, nullptr);
  EXPECT_EQ(List->Panel->Parent, Form);
  TWStrList* items = List->GetItems();
  EXPECT_EQ(items->Count(), 101);
  EXPECT_EQ(items->Get(0), L"Deneme: 0");
  EXPECT_EQ(items->Get(7), L"Deneme: 7");
  EXPECT_EQ(items->Get(100), L"Deneme: 100");
  EXPECT_TRUE(List->OnItemClick.Code == &ItemClick);
  EXPECT_EQ(List->OnItemClick.Data, Holder);
  EXPECT_TRUE(Holder->Button->OnClick.Code == &CloseClick);

  // Rows are drawn in Arial with a cell height of 15.
  const LOGFONTW& font = List->BackBuffer->GetCanvas()->GetFont()->FontRecord();
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
  EXPECT_EQ(font.lfHeight, 15);
}

TEST_F(DemoFormTest, ButtonSpansTheBottomAndTheListFillsTheRest) {
  Form->CreateHandle();  // shown, as the loop does first
  RECT client = Form->GetClientArea();
  ASSERT_GT(client.bottom, 38);
  RECT button = Holder->Button->GetBounds();
  EXPECT_EQ(button.left, 0);
  EXPECT_EQ(button.right, client.right);
  EXPECT_EQ(button.bottom, client.bottom);
  EXPECT_EQ(button.bottom - button.top, 38);
  RECT panel = List->Panel->GetBounds();
  EXPECT_EQ(panel.left, 0);
  EXPECT_EQ(panel.top, 0);
  EXPECT_EQ(panel.right, client.right);
  EXPECT_EQ(panel.bottom, button.top);
  // The list took the panel's size over at its resize.
  EXPECT_EQ(List->ItemWidth, client.right);
  EXPECT_EQ(List->BackBuffer->Height, button.top);
}

TEST_F(DemoFormTest, ActivatedItemIsShownInABoxOwnedByTheMainForm) {
  TScopedPatch box(Api.MessageBoxW, &FakeMessageBox);
  ItemClick(Holder, List, 7);
  ASSERT_EQ(Shown.Count, 1);
  EXPECT_EQ(Shown.Owner, Form->Handle);
  EXPECT_NE(Shown.Owner, nullptr);
  EXPECT_EQ(Shown.Text, L"Deneme: 7");
  EXPECT_EQ(Shown.Caption, L"GlideStrip Demo");
  EXPECT_EQ(Shown.Style, static_cast<UINT>(MB_OK | MB_SETFOREGROUND));

  for (int index : {-1, 101}) {
    ItemClick(Holder, List, index);
    EXPECT_EQ(Shown.Text, L"") << index;
  }
  EXPECT_EQ(Shown.Count, 3);
}

TEST_F(DemoFormTest, DoubleTapShowsTheTappedItem) {
  TScopedPatch box(Api.MessageBoxW, &FakeMessageBox);
  TScriptedClock clock(50000);
  // Before anything is selected the box is empty.
  Stylus(WM_LBUTTONDOWN, 100, 120);
  Stylus(WM_LBUTTONUP, 100, 300);
  clock.Advance(150);
  Stylus(WM_LBUTTONDOWN, 100, 120);
  ASSERT_EQ(Shown.Count, 1);
  EXPECT_EQ(Shown.Text, L"");
  Stylus(WM_LBUTTONUP, 100, 120);

  clock.Advance(1000);
  Tap(100, 375);  // row 7
  EXPECT_EQ(List->Selected.y, 7);
  EXPECT_EQ(Shown.Count, 1);  // one tap only selects
  clock.Advance(200);
  Stylus(WM_LBUTTONDOWN, 100, 375);
  ASSERT_EQ(Shown.Count, 2);
  EXPECT_EQ(Shown.Text, L"Deneme: 7");
  EXPECT_EQ(Shown.Caption, L"GlideStrip Demo");
}

// The program from start to end: "Kapat" is pressed once the loop runs.
UINT_PTR ClickTimer;
UINT_PTR GuardTimer;
bool GuardFired;
TGlideStripbox* RunList;

void CALLBACK PressKapat(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, ClickTimer);
  RunList = DemoForm->ListBox;
  SendMessageW(DemoForm->Button->Handle, BM_CLICK, 0, 0);
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  GuardFired = true;
  PostQuitMessage(0);
}

TEST(DemoProgram, KapatEndsTheProgram) {
  GuardFired = false;
  RunList = nullptr;
  ClickTimer = SetTimer(nullptr, 0, 50, PressKapat);
  GuardTimer = SetTimer(nullptr, 0, 20000, GiveUp);  // only against a hang
  EXPECT_EQ(RunDemo(), 0);
  KillTimer(nullptr, GuardTimer);
  Terminated = false;  // the loop's end is process-wide; later tests need hooks again
  EXPECT_FALSE(GuardFired);
  EXPECT_EQ(DemoForm, nullptr);
  EXPECT_EQ(MainForm, nullptr);
  ASSERT_NE(RunList, nullptr);
  EXPECT_EQ(RunList->Panel, nullptr);
  RunList->Destroy();
}

}  // namespace
