#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "support/ApiPatch.h"
#include "support/TestWindows.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/PlatformInfo.h"
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
  // A key press as the platform delivers it: to the window with the focus.
  void Key(WORD key) {
    HWND focus = GetFocus();
    SendMessageW(focus, WM_KEYDOWN, key, 1);
    SendMessageW(focus, WM_KEYUP, key, 0xC0000001);
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

TEST_F(DemoFormTest, KeysMoveTheFocusBetweenTheListAndKapat) {
  static int clicks;
  clicks = 0;
  TControl* button = Holder->Button;
  TControl* panel = List->Panel;
  button->OnClick = {[](void*, TControl*) { ++clicks; }, nullptr};
  Form->CreateHandle();  // shown and active, as the loop starts it
  ASSERT_EQ(GetFocus(), button->Handle);  // the first tab stop
  List->Selected = {0, 3};

  struct TStep {
    const char* Name;
    WORD Key;
    bool Shift;
    TControl* WantFocus;
    int WantSelected;
  };
  const TStep steps[] = {
      {"Up on Kapat", VK_UP, false, panel, 3},
      {"Tab on the list", VK_TAB, false, button, 3},
      {"Tab on Kapat", VK_TAB, false, panel, 3},
      {"Shift+Tab on the list", VK_TAB, true, button, 3},
      {"Shift+Tab on Kapat", VK_TAB, true, panel, 3},
      {"Down within the list", VK_DOWN, false, panel, 4},
      {"End", VK_END, false, panel, 100},
      {"Down on the last row", VK_DOWN, false, button, 100},
      {"Down on Kapat", VK_DOWN, false, button, 100},
  };
  BYTE keys[256] = {};
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    keys[VK_SHIFT] = step.Shift ? 0x80 : 0;
    SetKeyboardState(keys);
    Key(step.Key);
    EXPECT_EQ(GetFocus(), step.WantFocus->Handle);
    EXPECT_EQ(Form->FocusedControl, step.WantFocus);
    EXPECT_EQ(List->Selected.y, step.WantSelected);
  }
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);

  // A form that regains the focus gives it to the child that had it.
  for (TControl* had : {button, panel}) {
    if (GetFocus() != had->Handle) Key(VK_TAB);
    SetFocus(nullptr);
    SetFocus(Form->Handle);
    EXPECT_EQ(GetFocus(), had->Handle);
  }

  Key(VK_TAB);
  ASSERT_EQ(GetFocus(), button->Handle);
  Key(VK_RETURN);
  EXPECT_EQ(clicks, 1);
  Key(VK_SPACE);  // the system button's own key
  EXPECT_EQ(clicks, 2);
}

// A window closed from outside while it has the focus (WM_CLOSE, which its
// default processing turns into DestroyWindow): the focus goes on to what
// is left, and the keys still reach "Kapat" or the list.
TEST_F(DemoFormTest, ClosingTheFocusedControlFromOutsideKeepsTheKeysWorking) {
  static int clicks;
  for (bool closeList : {true, false}) {
    SCOPED_TRACE(closeList ? "the list closed" : "Kapat closed");
    if (!closeList) {  // a fresh program
      MainForm = nullptr;
      Free(Form);
      List->Destroy();
      PumpMessages();
      NewDemoForm(Holder, nullptr);
      Form = Holder->Form;
      List = Holder->ListBox;
    }
    clicks = 0;
    TControl* button = Holder->Button;
    button->OnClick = {[](void*, TControl*) { ++clicks; }, nullptr};
    Form->CreateHandle();  // shown and active, as the loop starts it
    if (closeList) Key(VK_UP);
    TControl* closed = closeList ? List->Panel : button;
    const HWND window = closed->Handle;
    ASSERT_EQ(GetFocus(), window);
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && ProcessMessage(Form, nullptr); ++i) {
    }
    ASSERT_FALSE(IsWindow(window));
    if (closeList) {
      EXPECT_EQ(List->Panel, nullptr);
      EXPECT_EQ(GetFocus(), button->Handle);
      EXPECT_EQ(Form->FocusedControl, button);
      Key(VK_UP);  // no list to go to
      EXPECT_EQ(GetFocus(), button->Handle);
      Key(VK_RETURN);
      EXPECT_EQ(clicks, 1);
    } else {
      EXPECT_EQ(GetFocus(), Form->Handle);
      Key(VK_TAB);
      EXPECT_EQ(GetFocus(), List->Panel->Handle);
      Key(VK_DOWN);
      EXPECT_EQ(List->Selected.y, 0);
    }
  }
}

// A held action key repeats: the list shows its row once and "Kapat" is
// pressed once, however long the key is held.
TEST_F(DemoFormTest, HeldActionKeyActsOnce) {
  static int clicks;
  clicks = 0;
  TScopedPatch box(Api.MessageBoxW, &FakeMessageBox);
  TControl* button = Holder->Button;
  button->OnClick = {[](void*, TControl*) { ++clicks; }, nullptr};
  Form->CreateHandle();
  const LPARAM first = 1, repeat = 0x40000001, up = 0xC0000001;
  List->Selected = {0, 4};
  List->Focus();
  SendMessageW(List->Panel->Handle, WM_KEYDOWN, VK_RETURN, first);
  for (int i = 0; i < 5; ++i) SendMessageW(List->Panel->Handle, WM_KEYDOWN, VK_RETURN, repeat);
  SendMessageW(List->Panel->Handle, WM_KEYUP, VK_RETURN, up);
  EXPECT_EQ(Shown.Count, 1);
  EXPECT_EQ(Shown.Text, L"Deneme: 4");
  // Moves repeat as before: a held Down walks on.
  for (int i = 0; i < 3; ++i)
    SendMessageW(List->Panel->Handle, WM_KEYDOWN, VK_DOWN, i == 0 ? first : repeat);
  EXPECT_EQ(List->Selected.y, 7);

  SetFocus(button->Handle);
  for (WORD key : {VK_RETURN, VK_SPACE}) {
    SendMessageW(button->Handle, WM_KEYDOWN, key, first);
    for (int i = 0; i < 5; ++i) SendMessageW(button->Handle, WM_KEYDOWN, key, repeat);
    SendMessageW(button->Handle, WM_KEYUP, key, up);
  }
  EXPECT_EQ(clicks, 2);  // once for each key
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

// The Smartphone edition: a keypad and no touch screen. The platform type is
// scripted; the program runs its real loop and real message box, and every
// key goes where the platform would send it, to the window with the focus.
BOOL WINAPI SmartphoneParameters(UINT action, UINT param, PVOID data, UINT flags) {
  if (action == SPI_GETPLATFORMTYPE) {
    wcsncpy(static_cast<wchar_t*>(data), L"SmartPhone", param / sizeof(wchar_t));
    return TRUE;
  }
  return DefaultApi.SystemParametersInfoW(action, param, data, flags);
}

int MenuBars;
BOOL WINAPI CountMenuBar(SHMENUBARINFO* info) {
  ++MenuBars;
  return DefaultApi.SHCreateMenuBar(info);
}

std::vector<std::wstring> BoxTexts;
int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
  BoxTexts.push_back(text);
  return DefaultApi.MessageBoxW(owner, text, caption, style);
}

// One step of the walk: the state it waits for, then the key it presses.
struct TWalkStep {
  const char* Name;
  std::function<bool()> Ready;
  WORD Key;
};
std::vector<TWalkStep> Walk;
size_t WalkAt;
int WalkWaits;
UINT_PTR WalkTimer;

void CALLBACK WalkOn(HWND, UINT, UINT_PTR, DWORD) {
  if (WalkAt >= Walk.size()) return;
  const TWalkStep& step = Walk[WalkAt];
  if (!step.Ready()) {
    if (++WalkWaits < 250) return;
    ADD_FAILURE() << "never reached: " << step.Name;
    WalkAt = Walk.size();
    PostQuitMessage(0);
    return;
  }
  WalkWaits = 0;
  ++WalkAt;
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, step.Key, 1);
  PostMessageW(focus, WM_KEYUP, step.Key, 0xC0000001);
}

TEST(DemoProgram, SmartphoneWalkThroughWithKeysAlone) {
  TScopedPatch parameters(Api.SystemParametersInfoW, &SmartphoneParameters);
  TScopedPatch menuBar(Api.SHCreateMenuBar, &CountMenuBar);
  TScopedPatch box(Api.MessageBoxW, &RecordBox);
  ResetPlatformTypeCache();
  MenuBars = 0;
  BoxTexts.clear();
  RunList = nullptr;
  GuardFired = false;

  // Held across the steps; the rows per page and the chosen row are found at the start.
  static HWND form, button, panel;
  static int page, row;
  auto boxOpen = [] { return FindWindowW(L"#32770", L"GlideStrip Demo") != nullptr; };
  Walk = {
      {"the form reaches the screen bottom, no soft-key bar, Kapat focused",
       [] {
         if (DemoForm == nullptr || !IsWindowVisible(DemoForm->Form->Handle)) return false;
         RunList = DemoForm->ListBox;
         form = DemoForm->Form->Handle;
         button = DemoForm->Button->Handle;
         panel = RunList->Panel->Handle;
         page = RunList->Panel->GetHeight() / RunList->ItemHeight;
         row = page + 1;
         RECT rect;
         GetWindowRect(form, &rect);
         return GetFocus() == button && MenuBars == 0 &&
                rect.bottom == GetSystemMetrics(SM_CYSCREEN);
       },
       VK_UP},
      {"the list focused, nothing selected",
       [] { return GetFocus() == panel && RunList->Selected.y == -1; }, VK_DOWN},
      {"row 0 selected", [] { return RunList->Selected.y == 0; }, VK_NEXT},
      {"a page further down", [] { return RunList->Selected.y == page; }, VK_DOWN},
      {"the next row selected and scrolled just into view",
       [] {
         return RunList->Selected.y == row &&
                RunList->Offset.y == (row + 1) * RunList->ItemHeight - RunList->Panel->GetHeight();
       },
       VK_RETURN},
      {"the box shows the row, with the focus",
       [boxOpen] {
         return boxOpen() && BoxTexts.size() == 1 &&
                BoxTexts[0] == L"Deneme: " + std::to_wstring(row) && GetFocus() != panel;
       },
       VK_RETURN},
      {"the box answered, the focus back on the list",
       [boxOpen] { return !boxOpen() && GetFocus() == panel && RunList->Selected.y == row; },
       VK_END},
      {"the last row", [] { return RunList->Selected.y == 100; }, VK_DOWN},
      {"Kapat focused", [] { return GetFocus() == button; }, VK_RETURN},
  };
  WalkAt = 0;
  WalkWaits = 0;
  WalkTimer = SetTimer(nullptr, 0, 20, WalkOn);
  GuardTimer = SetTimer(nullptr, 0, 30000, GiveUp);  // only against a hang
  EXPECT_EQ(RunDemo(), 0);
  KillTimer(nullptr, WalkTimer);
  KillTimer(nullptr, GuardTimer);
  Terminated = false;  // the loop's end is process-wide; later tests need hooks again
  ResetPlatformTypeCache();
  EXPECT_FALSE(GuardFired);
  EXPECT_EQ(WalkAt, Walk.size());
  EXPECT_EQ(BoxTexts.size(), 1u);
  EXPECT_EQ(DemoForm, nullptr);
  if (RunList != nullptr) RunList->Destroy();
}

}  // namespace
