#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "support/FreedMemory.h"
#include "support/ListBoxSupport.h"

namespace {

// SPI_GETWHEELSCROLLLINES as a test sets it; every other query goes to the platform.
const UINT QueryFails = 0xFFFFFFFEu;
UINT WheelRows = 3;

BOOL WINAPI ScriptedParameters(UINT action, UINT param, PVOID data, UINT flags) {
  if (action != SPI_GETWHEELSCROLLLINES)
    return DefaultApi.SystemParametersInfoW(action, param, data, flags);
  if (WheelRows == QueryFails) return FALSE;
  *static_cast<UINT*>(data) = WheelRows;
  return TRUE;
}

class KeysAndWheelTest : public TListBoxFixture {
 protected:
  void SetUp() override {
    TListBoxFixture::SetUp();
    Clicks.clear();
    List->OnItemClick = {RecordClick, nullptr};
    SetFocus(List->Panel->Handle);
  }
  static void RecordClick(void*, TGlideStripbox*, int index) { Clicks.push_back(index); }

  // A key press as the platform delivers it: to the window with the focus.
  void Key(WORD key) {
    HWND focus = GetFocus();
    SendMessageW(focus, WM_KEYDOWN, key, 1);
    SendMessageW(focus, WM_KEYUP, key, 0xC0000001);
  }
  // A wheel message with the pointer at a point of the panel, in screen coordinates.
  void Wheel(HWND target, int delta, int x = 100, int y = 100) {
    POINT point = {x, y};
    ClientToScreen(List->Panel->Handle, &point);
    SendMessageW(target, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                 MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
  }

  static inline std::vector<int> Clicks;
  TScriptedClock Clock{1000000};
};

// The panel is 250 high and a row 50: five rows to a page, offsets up to 4800.
TEST_F(KeysAndWheelTest, KeysMoveTheSelectionAndScrollItJustIntoView) {
  struct TCase {
    const char* Name;
    int Items, Offset, Selected, SpeedY;
    bool Stylus;
    WORD Key;
    int WantSelected, WantOffset, WantSpeedY;
    std::vector<int> WantClicks;
  };
  const TCase cases[] = {
      {"Down with nothing selected: the top row wholly shown", 101, 30, -1, 0, false, VK_DOWN, 1, 30, 0, {}},
      {"Up with nothing selected: the bottom row wholly shown", 101, 30, -1, 0, false, VK_UP, 4, 30, 0, {}},
      {"Down to a row below the panel", 101, 0, 4, 0, false, VK_DOWN, 5, 50, 0, {}},
      {"Up to a row above the panel", 101, 120, 2, 0, false, VK_UP, 1, 50, 0, {}},
      {"Down within the panel scrolls nothing", 101, 20, 2, 0, false, VK_DOWN, 3, 20, 0, {}},
      {"Up on row 0 changes nothing, a glide goes on", 101, 0, 0, 12, false, VK_UP, 0, 0, 12, {}},
      {"Down on the last row changes nothing", 101, 4800, 100, 0, false, VK_DOWN, 100, 4800, 0, {}},
      {"Page Down moves a page", 101, 0, 3, 0, false, VK_NEXT, 8, 200, 0, {}},
      {"Page Up stops at the first row", 101, 200, 3, 0, false, VK_PRIOR, 0, 0, 0, {}},
      {"Page Down stops at the last row", 101, 4700, 98, 0, false, VK_NEXT, 100, 4800, 0, {}},
      {"Page Up with nothing selected starts as Up", 101, 30, -1, 0, false, VK_PRIOR, 4, 30, 0, {}},
      {"Home", 101, 2400, 50, 0, false, VK_HOME, 0, 0, 0, {}},
      {"End", 101, 0, -1, 0, false, VK_END, 100, 4800, 0, {}},
      {"A key that moves the selection stops a glide", 101, 100, 3, 12, false, VK_DOWN, 4, 100, 0, {}},
      {"An empty list ignores the keys", 0, 0, -1, 0, false, VK_DOWN, -1, 0, 0, {}},
      {"Keys wait while the stylus is down", 101, 0, 3, 0, true, VK_DOWN, 3, 0, 0, {}},
      {"Enter activates the selected row", 101, 0, 7, 0, false, VK_RETURN, 7, 0, 0, {7}},
      {"Enter with nothing selected does nothing", 101, 0, -1, 0, false, VK_RETURN, -1, 0, 0, {}},
      {"Enter on a row past the end does nothing", 3, 0, 4, 0, false, VK_RETURN, 4, 0, 0, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Fill(c.Items);
    Clicks.clear();
    List->Offset = {0, c.Offset};
    List->Selected = {0, c.Selected};
    List->Speed = {0, c.SpeedY};
    List->Timer->SetEnabled(c.SpeedY != 0);
    std::optional<TStylusHeld> held;
    if (c.Stylus) {
      held.emplace();
      Stylus(WM_LBUTTONDOWN, 100, 120);
    }
    Key(c.Key);
    EXPECT_EQ(List->Selected.y, c.WantSelected);
    EXPECT_EQ(List->Offset.y, c.WantOffset);
    EXPECT_EQ(List->Speed.y, c.WantSpeedY);
    EXPECT_EQ(List->Timer->Enabled, c.WantSpeedY != 0);
    EXPECT_EQ(Clicks, c.WantClicks);
    EXPECT_EQ(GetFocus(), List->Panel->Handle);
    if (c.Stylus) Stylus(WM_LBUTTONUP, 100, 120);
    List->Timer->SetEnabled(false);
  }
}

// Every case starts at offset 1000 with row 5 selected; each wheel message
// after the first comes 30 ms (three ticks) into the move before it.
TEST_F(KeysAndWheelTest, WheelMovesTheRowsSmoothlyByTheSettingPerNotch) {
  enum TWhere { OverTheList, FromTheForm, BesideTheList };
  struct TCase {
    const char* Name;
    UINT Rows;
    std::vector<int> Deltas;
    TWhere Where;
    int StartOffset, SpeedY, WantOffset;
  };
  const TCase cases[] = {
      {"a notch down shows later rows", 3, {-120}, OverTheList, 1000, 0, 1150},
      {"a notch up shows earlier rows", 3, {120}, OverTheList, 1000, 0, 850},
      {"the platform's setting counts rows", 1, {-120}, OverTheList, 1000, 0, 1050},
      {"page scrolling moves a panel height", WHEEL_PAGESCROLL, {-120}, OverTheList, 1000, 0, 1250},
      {"no setting: three rows", QueryFails, {-120}, OverTheList, 1000, 0, 1150},
      {"small deltas add up to a notch", 3, {-40, -40, -40}, OverTheList, 1000, 0, 1150},
      {"short of a notch nothing moves", 3, {-60, -59}, OverTheList, 1000, 0, 1000},
      {"a turn the other way counts afresh", 3, {-100, 100, 100}, OverTheList, 1000, 0, 850},
      {"notches in quick succession add up", 3, {-120, -120}, OverTheList, 1000, 0, 1300},
      {"two notches in one message", 3, {-240}, OverTheList, 1000, 0, 1300},
      {"the move stops at the last row", 3, {-120}, OverTheList, 4750, 0, 4800},
      {"the move stops at the first row", 3, {120}, OverTheList, 100, 0, 0},
      {"a notch stops a glide and moves exactly", 3, {-120}, OverTheList, 1000, 12, 1150},
      {"the focused form hands the wheel to the list", 3, {-120}, FromTheForm, 1000, 0, 1150},
      {"a wheel beside the list moves nothing", 3, {-120}, BesideTheList, 1000, 0, 1000},
  };
  TScopedPatch parameters(Api.SystemParametersInfoW, &ScriptedParameters);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WheelRows = c.Rows;
    List->WheelDelta = 0;
    List->Offset = {0, c.StartOffset};
    List->Selected = {0, 5};
    List->Speed = {0, c.SpeedY};
    List->Timer->SetEnabled(c.SpeedY != 0);
    const DWORD start = Clock.Now;
    std::vector<int> path;
    for (size_t i = 0; i < c.Deltas.size(); ++i) {
      for (int tick = 0; i > 0 && tick < 3; ++tick) {
        Clock.Advance(10);
        TGlideStripbox::TimerTick(List, List->Timer);
        path.push_back(List->Offset.y);
      }
      if (c.Where == OverTheList) Wheel(List->Panel->Handle, c.Deltas[i]);
      if (c.Where == FromTheForm) Wheel(Form->Handle, c.Deltas[i]);
      if (c.Where == BesideTheList) Wheel(List->Panel->Handle, c.Deltas[i], 100, 260);
    }
    while (List->Timer->Enabled && Clock.Now - start < 2000) {
      Clock.Advance(10);
      TGlideStripbox::TimerTick(List, List->Timer);
      path.push_back(List->Offset.y);
    }
    EXPECT_EQ(List->Offset.y, c.WantOffset);
    EXPECT_EQ(List->Selected.y, 5);
    EXPECT_EQ(List->Speed.y, 0);
    EXPECT_FALSE(List->Timer->Enabled);  // idle again: no more ticks
    if (c.WantOffset != c.StartOffset) {
      // Smooth: the rows stop at several places on the way, the last one
      // reached within half a second of the first notch.
      std::vector<int> places;
      for (int y : path)
        if (places.empty() || places.back() != y) places.push_back(y);
      EXPECT_GE(places.size(), 4u);
      EXPECT_LE(static_cast<DWORD>(std::find(path.begin(), path.end(), c.WantOffset) -
                                   path.begin()) * 10 + 10,
                500u);
    }
  }
}

// A handler of the list box's own that frees it: nothing of the list box is
// touched after the handler returns, whichever way it was reached.
void FreeTheList(void*, TGlideStripbox* sender, int) { sender->Destroy(); }
void FreeTheListOnKey(void* list, TControl*, TKeyEventInfo&) {
  static_cast<TGlideStripbox*>(list)->Destroy();
}

TEST_F(KeysAndWheelTest, ListBoxFreedByItsOwnHandlerIsNotTouchedAgain) {
  enum TWay { Enter, DoubleTap, DoubleClick, KeyHandler };
  const char* const names[] = {"Enter", "a double tap", "a double click", "its key handler"};
  for (TWay way : {Enter, DoubleTap, DoubleClick, KeyHandler}) {
    SCOPED_TRACE(names[way]);
    if (List == nullptr) {
      List = TGlideStripbox::Create(Form, 0, 0, 240, 250, alNone);
      Fill(101);
    }
    List->Selected = {0, 3};
    List->OnItemClick = {FreeTheList, nullptr};
    if (way == KeyHandler) List->OnKeyDown = {FreeTheListOnKey, List};
    SetFocus(List->Panel->Handle);
    const HWND panel = List->Panel->Handle;
    {
      TFreedMemoryWatch watch;
      switch (way) {
        case Enter:
        case KeyHandler: SendMessageW(panel, WM_KEYDOWN, VK_RETURN, 1); break;
        case DoubleTap:
          Tap(100, 120);
          Clock.Advance(150);
          Stylus(WM_LBUTTONDOWN, 100, 120);
          break;
        case DoubleClick: Stylus(WM_LBUTTONDBLCLK, 100, 120); break;
      }
      EXPECT_GE(watch.Held(), 1u);
      EXPECT_EQ(watch.Touched(), 0u);
    }
    List = nullptr;  // freed by its handler
    EXPECT_FALSE(IsWindow(panel));  // its panel went with it
    PumpMessages();
  }
}

// The panel is made 240 high here: four whole rows to a page, not 4.8.
TEST_F(KeysAndWheelTest, WheelNotchesThatMoveNothingOrAPage) {
  struct TCase {
    const char* Name;
    UINT Rows;
    int StartOffset, SpeedY;
    bool StylusAfter;  // the stylus comes to rest on the list after the notch
    int WantOffset;    // once the wheel's move has ended (no glide is run)
    int WantSpeedY;
    bool WantTimer;
  };
  const TCase cases[] = {
      {"wheel scrolling off: a glide goes on", 0, 1000, 12, false, 1000, 12, true},
      {"a notch past the last row: a glide goes on", 3, 4810, -6, false, 4810, -6, true},
      {"page scrolling moves the rows Page Down moves", WHEEL_PAGESCROLL, 1000, 0, false, 1200, 0, false},
      {"a stylus resting after a notch: no more ticks", 3, 1000, 0, true, -1, 0, false},
  };
  List->Panel->SetHeight(240);
  Fill(101);
  ASSERT_EQ(List->PageRows(), 4);
  TScopedPatch parameters(Api.SystemParametersInfoW, &ScriptedParameters);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WheelRows = c.Rows;
    List->WheelDelta = 0;
    List->Offset = {0, c.StartOffset};
    List->Speed = {0, c.SpeedY};
    List->Timer->SetEnabled(c.SpeedY != 0);
    Wheel(List->Panel->Handle, -120);
    if (c.StylusAfter) {
      TStylusHeld held;
      Clock.Advance(30);
      TGlideStripbox::TimerTick(List, List->Timer);
      Stylus(WM_LBUTTONDOWN, 100, 120);
      const int resting = List->Offset.y;
      for (int i = 0; i < 3; ++i) {
        Clock.Advance(10);
        TGlideStripbox::TimerTick(List, List->Timer);
      }
      EXPECT_EQ(List->Offset.y, resting);
      EXPECT_FALSE(List->Timer->Enabled);
      Stylus(WM_LBUTTONUP, 100, 120);
    } else {
      for (int i = 0; i < 100 && List->WheelMoving; ++i) {
        Clock.Advance(10);
        TGlideStripbox::TimerTick(List, List->Timer);
      }
      EXPECT_EQ(List->Offset.y, c.WantOffset);
    }
    EXPECT_EQ(List->Speed.y, c.WantSpeedY);
    EXPECT_EQ(List->Timer->Enabled, c.WantTimer);
    List->Timer->SetEnabled(false);
  }
}

}  // namespace
