#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <climits>
#include <vector>

#include "support/ListBoxSupport.h"

namespace {

class TouchTest : public TListBoxFixture {
 protected:
  void SetUp() override {
    TListBoxFixture::SetUp();
    Clicks.clear();
    List->OnItemClick = {RecordClick, nullptr};
  }
  static void RecordClick(void*, TGlideStripbox*, int index) { Clicks.push_back(index); }
  // Runs the timer handler by hand, as many ticks as asked.
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) TGlideStripbox::TimerTick(List, List->Timer);
  }
  static inline std::vector<int> Clicks;
  // A clock that stands still unless a test moves it: quick taps never double by accident.
  TScriptedClock Clock{1000000};
};

TEST_F(TouchTest, StrokeShorterThanARowIsATap) {
  List->Speed = {3, 4};
  Stylus(WM_LBUTTONDOWN, 100, 120);
  EXPECT_TRUE(List->Tracking);
  EXPECT_EQ(GetCapture(), List->Panel->Handle);
  Stylus(WM_LBUTTONUP, 180, 160);  // |40| < 50; sideways movement does not count
  EXPECT_EQ(List->Selected.x, 0);
  EXPECT_EQ(List->Selected.y, 3);
  EXPECT_EQ(List->Speed.x, 0);
  EXPECT_EQ(List->Speed.y, 0);
  EXPECT_FALSE(List->Timer->Enabled);
  EXPECT_FALSE(List->Tracking);
  EXPECT_EQ(GetCapture(), nullptr);

  Stylus(WM_LBUTTONDOWN, 100, 170);
  Stylus(WM_MOUSEMOVE, 100, 120);
  Stylus(WM_LBUTTONUP, 100, 120);  // |50| is not < 50: a drag, the selection stays
  EXPECT_TRUE(List->Timer->Enabled);
  EXPECT_EQ(List->Selected.y, 3);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TouchTest, MoveFollowsTheStylusAtHalfSpeed) {
  Stylus(WM_LBUTTONDOWN, 100, 200);
  Stylus(WM_MOUSEMOVE, 100, 140);
  EXPECT_EQ(List->Offset.y, 60);
  EXPECT_EQ(List->Speed.y, 15);  // 30, limited
  Stylus(WM_MOUSEMOVE, 100, 139);
  EXPECT_EQ(List->Offset.y, 61);
  EXPECT_EQ(List->Speed.y, 0);   // 1 div 2
  Stylus(WM_MOUSEMOVE, 100, 142);
  EXPECT_EQ(List->Offset.y, 58);
  EXPECT_EQ(List->Speed.y, -1);  // -3 div 2 truncates toward zero
  Stylus(WM_MOUSEMOVE, 60, 142);
  EXPECT_EQ(List->Offset.x, 40);
  EXPECT_EQ(List->Speed.x, 15);
  EXPECT_EQ(List->LastPoint.x, 60);
  EXPECT_EQ(List->LastPoint.y, 142);
}

TEST_F(TouchTest, DragPastAnEndStopsThereAtOnce) {
  List->Offset.y = 4790;
  Stylus(WM_LBUTTONDOWN, 100, 200);
  Stylus(WM_MOUSEMOVE, 100, 170);
  EXPECT_EQ(List->Offset.y, 4800);
  EXPECT_EQ(List->Speed.y, 0);
  Stylus(WM_MOUSEMOVE, 100, 240);
  EXPECT_EQ(List->Offset.y, 4730);
  EXPECT_EQ(List->Speed.y, -15);
  List->Offset.y = 10;
  Stylus(WM_MOUSEMOVE, 100, 260);
  EXPECT_EQ(List->Offset.y, 0);
  EXPECT_EQ(List->Speed.y, 0);
}

TEST_F(TouchTest, ShortListNeverScrollsAndTapsBelowItSelectPastTheEnd) {
  Fill(3);
  Stylus(WM_LBUTTONDOWN, 100, 200);
  Stylus(WM_MOUSEMOVE, 100, 100);
  EXPECT_EQ(List->Offset.y, 0);
  Stylus(WM_LBUTTONUP, 100, 100);
  Tap(100, 220);
  EXPECT_EQ(List->Selected.y, 4);
}

TEST_F(TouchTest, MovesWhileNotTrackingChangeNothing) {
  Stylus(WM_MOUSEMOVE, 100, 100);
  EXPECT_EQ(List->Offset.y, 0);
  EXPECT_EQ(List->Speed.y, 0);
  EXPECT_EQ(List->LastPoint.y, -1);

  // After a double tap nothing is tracked either.
  TScriptedClock clock(5000);
  Tap(100, 120);
  clock.Advance(150);
  Stylus(WM_LBUTTONDOWN, 100, 300);
  ASSERT_EQ(Clicks.size(), 1u);
  EXPECT_FALSE(List->Tracking);
  Stylus(WM_MOUSEMOVE, 100, 100);
  EXPECT_EQ(List->Offset.y, 0);
}

TEST_F(TouchTest, DoubleTapWindowIncludesBothBounds) {
  struct TCase {
    DWORD Delay;
    bool Activates;
  };
  for (TCase c : {TCase{99, false}, TCase{100, true}, TCase{300, true}, TCase{301, false}}) {
    SCOPED_TRACE(c.Delay);
    List->LastTapTick = 0;
    Clicks.clear();
    TScriptedClock clock(10000);
    Tap(100, 120);  // selects row 2
    clock.Advance(c.Delay);
    Stylus(WM_LBUTTONDOWN, 100, 130);
    if (c.Activates) {
      ASSERT_EQ(Clicks.size(), 1u);
      EXPECT_EQ(Clicks[0], 2);
      EXPECT_EQ(List->LastTapTick, 0u);
      EXPECT_FALSE(List->Tracking);
      EXPECT_EQ(GetCapture(), nullptr);  // no capture taken
    } else {
      EXPECT_TRUE(Clicks.empty());
      EXPECT_EQ(List->LastTapTick, 10000u + c.Delay);
      EXPECT_TRUE(List->Tracking);
    }
    Stylus(WM_LBUTTONUP, 100, 130);
  }
}

TEST_F(TouchTest, DoubleTapReadsTheClockTwice) {
  TScriptedClock clock(2000);
  Tap(100, 120);
  // The upper bound holds for the first reading, the lower fails for the second.
  clock.Script({2299, 2099, 2400});
  Stylus(WM_LBUTTONDOWN, 100, 120);
  EXPECT_TRUE(Clicks.empty());
  EXPECT_EQ(List->LastTapTick, 2400u);
  Stylus(WM_LBUTTONUP, 100, 120);

  // Past the upper bound the second reading is never taken.
  clock.Script({2701, 2500, 2800});
  int reads = TScriptedClock::Reads;
  Stylus(WM_LBUTTONDOWN, 100, 120);
  EXPECT_EQ(TScriptedClock::Reads - reads, 2);
  EXPECT_TRUE(Clicks.empty());
  EXPECT_EQ(List->LastTapTick, 2500u);
  Stylus(WM_LBUTTONUP, 100, 120);
}

TEST_F(TouchTest, SecondTapAfterTheCounterWrappedIsANewTap) {
  TScriptedClock clock(0xFFFFFF9Cu);
  Tap(100, 120);
  clock.Set(0x64);  // 200 ms later by the wrapped counter
  Stylus(WM_LBUTTONDOWN, 100, 120);
  EXPECT_TRUE(Clicks.empty());
  EXPECT_TRUE(List->Tracking);
  EXPECT_EQ(List->LastTapTick, 0x64u);
  Stylus(WM_LBUTTONUP, 100, 120);
}

TEST_F(TouchTest, DoubleClickMessageActivatesTheSelection) {
  Tap(100, 260);
  Stylus(WM_LBUTTONDBLCLK, 100, 260);
  ASSERT_EQ(Clicks.size(), 1u);
  EXPECT_EQ(Clicks[0], 5);
}

TEST_F(TouchTest, GlideFromFifteenLasts150TicksAndCovers1200Pixels) {
  List->Speed = {0, 15};
  List->TickCount = 0;
  List->LastTapTick = 777;
  List->Timer->SetEnabled(true);
  Ticks(9);
  EXPECT_EQ(List->Offset.y, 135);
  EXPECT_EQ(List->Speed.y, 15);
  EXPECT_EQ(List->LastTapTick, 0u);  // gliding cancels a pending double tap
  Ticks(1);
  EXPECT_EQ(List->Offset.y, 150);
  EXPECT_EQ(List->Speed.y, 14);
  Ticks(139);
  EXPECT_TRUE(List->Timer->Enabled);
  EXPECT_EQ(List->Speed.y, 1);
  Ticks(1);
  EXPECT_EQ(List->Offset.y, 1200);
  EXPECT_EQ(List->Speed.y, 0);
  EXPECT_FALSE(List->Timer->Enabled);
  EXPECT_EQ(List->TickCount, 150);
}

TEST_F(TouchTest, GlideUpwardStopsAtTheTopInTheSameTick) {
  List->Offset.y = 20;
  List->Speed = {0, -15};
  List->Timer->SetEnabled(true);
  Ticks(1);
  EXPECT_EQ(List->Offset.y, 5);
  EXPECT_TRUE(List->Timer->Enabled);
  Ticks(1);
  EXPECT_EQ(List->Offset.y, 0);
  EXPECT_EQ(List->Speed.y, 0);
  EXPECT_FALSE(List->Timer->Enabled);
}

TEST_F(TouchTest, WhileTheStylusHoldsThePanelOnlySidewaysSpeedGlides) {
  List->Timer->SetEnabled(true);
  Stylus(WM_LBUTTONDOWN, 100, 120);
  List->Speed = {0, 10};
  Ticks(1);
  EXPECT_EQ(List->Offset.y, 0);
  List->Speed = {5, 10};  // a sideways speed keeps it going
  Ticks(1);
  EXPECT_EQ(List->Offset.y, 10);
  EXPECT_EQ(List->Offset.x, 5);
  Stylus(WM_LBUTTONUP, 100, 120);
}

TEST_F(TouchTest, TickCountWrapsAroundWithoutLosingTheSchedule) {
  List->Speed = {0, 5};
  List->TickCount = INT_MAX;
  List->Timer->SetEnabled(true);
  Ticks(1);
  EXPECT_EQ(List->TickCount, INT_MIN);
  EXPECT_EQ(List->Speed.y, 5);
  List->TickCount = -11;
  Ticks(1);
  EXPECT_EQ(List->Speed.y, 4);  // -10 is a multiple of ten
  List->Timer->SetEnabled(false);
}

TEST_F(TouchTest, FlickGlidesOnTheRealTimerUntilItStops) {
  Stylus(WM_LBUTTONDOWN, 100, 200);
  Stylus(WM_MOUSEMOVE, 100, 170);
  Stylus(WM_MOUSEMOVE, 100, 140);
  Stylus(WM_LBUTTONUP, 100, 140);
  ASSERT_TRUE(List->Timer->Enabled);
  EXPECT_TRUE(PumpUntil([&] { return !List->Timer->Enabled; }, 20000));
  EXPECT_EQ(List->Offset.y, 60 + 1200);
  EXPECT_EQ(List->Speed.y, 0);
}

// An idle handheld must not wake 100 times a second for a glide of speed 0.
TEST_F(TouchTest, TimerStopsWhenNothingIsLeftToGlide) {
  struct TCase {
    const char* Name;
    std::function<void()> Run;
  };
  auto* t = this;
  const TCase cases[] = {
      {"slow drag", [t] {
         t->Stylus(WM_LBUTTONDOWN, 100, 200);
         for (int y = 199; y >= 140; --y) t->Stylus(WM_MOUSEMOVE, 100, y);  // 1 div 2 = 0
         t->Stylus(WM_LBUTTONUP, 100, 140);
       }},
      {"drag into the top end", [t] {
         t->Stylus(WM_LBUTTONDOWN, 100, 100);
         t->Stylus(WM_MOUSEMOVE, 100, 200);
         t->Stylus(WM_LBUTTONUP, 100, 200);
       }},
      {"tap during a glide", [t] {
         t->List->Speed = {0, 12};
         t->List->Timer->SetEnabled(true);
         t->Tap(100, 120);
       }},
      {"stylus-up after a double tap", [t] {
         t->Tap(100, 120);
         t->Clock.Advance(150);
         t->Stylus(WM_LBUTTONDOWN, 100, 120);  // activates, tracks nothing
         t->Stylus(WM_LBUTTONUP, 100, 120);    // DownPoint.Y is -1: counted as a drag
       }},
      {"tick at speed 0", [t] {
         t->List->Speed = {0, 0};
         t->List->Timer->SetEnabled(true);
         t->Ticks(1);
       }},
  };
  for (const TCase& c : cases) {
    List->Offset = {0, 0};
    List->Speed = {0, 0};
    List->LastTapTick = 0;
    c.Run();
    EXPECT_FALSE(List->Timer->Enabled) << c.Name;
    EXPECT_EQ(List->Timer->TimerId, 0u) << c.Name;
  }
}

TEST_F(TouchTest, ActivationIsNotReenteredWhileItsHandlerRuns) {
  static int depth = 0, calls = 0, deepest = 0;
  depth = calls = deepest = 0;
  static std::function<void()> during;
  during = [this] {
    // What a message box's loop delivers while it is open.
    Stylus(WM_LBUTTONDBLCLK, 100, 120);
    Clock.Advance(150);
    Tap(100, 120);
    Clock.Advance(150);
    Tap(100, 120);  // a second tap in the double-tap window
  };
  List->OnItemClick = {[](void*, TGlideStripbox*, int) {
                         ++calls;
                         deepest = std::max(deepest, ++depth);
                         during();
                         --depth;
                       },
                       nullptr};
  Tap(100, 120);
  Stylus(WM_LBUTTONDBLCLK, 100, 120);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(deepest, 1);
  Stylus(WM_LBUTTONDBLCLK, 100, 120);  // once it has returned, the next one counts
  EXPECT_EQ(calls, 2);
}

TEST_F(TouchTest, ResizeDuringADragEndsIt) {
  Stylus(WM_LBUTTONDOWN, 100, 200);
  Stylus(WM_MOUSEMOVE, 100, 150);
  List->Panel->SetHeight(200);  // a resize resets the list
  EXPECT_FALSE(List->Tracking);
  EXPECT_EQ(GetCapture(), nullptr);
  Stylus(WM_MOUSEMOVE, 100, 100);  // the stylus was lifted elsewhere; moves are hovering
  EXPECT_EQ(List->Offset.y, 0);
}

// Runs in the box's own loop: answers it.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  AnswerMessageBoxes();
}

// The capture can go in the middle of a stroke; the stylus-up then reaches
// another window. The stroke ends as an up would end it (a flick glides,
// anything else stops, no row is chosen), and afterwards hovering moves
// nothing and the keys work again. A message that only claims the loss is
// not believed.
TEST_F(TouchTest, LostCaptureEndsTheStrokeAsAnUpWould) {
  struct TCase {
    const char* Name;
    bool Flick;  // the stroke so far: a flick, or a stylus resting after its down
    std::function<void()> Lose;
    bool Ends, Glides;
  };
  auto* t = this;
  const TCase cases[] = {
      {"ReleaseCapture after a flick", true, [] { ReleaseCapture(); }, true, true},
      {"WM_CANCELMODE to a resting stylus", false,
       [t] { SendMessageW(t->List->Panel->Handle, WM_CANCELMODE, 0, 0); }, true, false},
      {"another window takes the capture", true, [t] { SetCapture(t->Form->Handle); }, true, true},
      {"a message box opens", false,
       [] {
         SetTimer(nullptr, 0, 50, AnswerBox);
         ShowMessageBox(L"box", MB_OK);
       },
       true, false},
      {"a key while the platform reports no button down", false,
       [t] { SendMessageW(t->List->Panel->Handle, WM_KEYDOWN, VK_F5, 1); }, true, false},
      {"WM_CAPTURECHANGED posted while the panel holds the stylus", true,
       [t] {
         PostMessageW(t->List->Panel->Handle, WM_CAPTURECHANGED, 0,
                      reinterpret_cast<LPARAM>(t->Form->Handle));
         PumpMessages();
       },
       false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    List->Timer->SetEnabled(false);
    List->Offset = {0, 1000};
    List->Speed = {0, 0};
    List->Selected = {0, -1};
    List->LastTapTick = 0;
    Stylus(WM_LBUTTONDOWN, 100, 200);
    if (c.Flick) {
      Stylus(WM_MOUSEMOVE, 100, 170);
      Stylus(WM_MOUSEMOVE, 100, 140);
    }
    const int offset = List->Offset.y;
    c.Lose();
    if (!c.Ends) {
      EXPECT_TRUE(List->Tracking);
      EXPECT_EQ(GetCapture(), List->Panel->Handle);
      Stylus(WM_LBUTTONUP, 100, 140);
      continue;
    }
    EXPECT_FALSE(List->Tracking);
    EXPECT_NE(GetCapture(), List->Panel->Handle);
    EXPECT_EQ(List->Timer->Enabled, c.Glides);
    EXPECT_EQ(List->Speed.y, c.Glides ? 15 : 0);
    EXPECT_EQ(List->Offset.y, offset);
    List->Speed = {0, 0};
    List->Timer->SetEnabled(false);
    // Hovering without a button scrolls nothing.
    SendMessageW(List->Panel->Handle, WM_MOUSEMOVE, 0, MAKELPARAM(100, 40));
    EXPECT_EQ(List->Offset.y, offset);
    // The keys act again.
    SendMessageW(List->Panel->Handle, WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(List->Selected.y, 100);
    ReleaseCapture();
  }
}

TEST_F(TouchTest, MoveWithoutAButtonDownDoesNotScrollAStroke) {
  Stylus(WM_LBUTTONDOWN, 100, 200);
  SendMessageW(List->Panel->Handle, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(List->Offset.y, 0);
  EXPECT_EQ(List->Speed.y, 0);
  SendMessageW(List->Panel->Handle, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(100, 100));
  EXPECT_EQ(List->Offset.y, 100);  // any button drags
  Stylus(WM_LBUTTONUP, 100, 100);
}

// A stylus-up that no tracked stylus-down began (after a double tap, or a
// stray one) leaves a running glide or wheel move alone.
TEST_F(TouchTest, UpWithoutATrackedDownLeavesTheMotionAlone) {
  List->Offset = {0, 1000};
  List->Speed = {0, 12};
  List->Timer->SetEnabled(true);
  Stylus(WM_LBUTTONUP, 100, 10);
  EXPECT_EQ(List->Speed.y, 12);
  EXPECT_TRUE(List->Timer->Enabled);

  List->Speed = {0, 0};
  List->Timer->SetEnabled(false);
  POINT point = {100, 100};
  ClientToScreen(List->Panel->Handle, &point);
  SendMessageW(List->Panel->Handle, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)),
               MAKELPARAM(point.x, point.y));
  ASSERT_TRUE(List->WheelMoving);
  Clock.Advance(30);
  Ticks(1);
  Stylus(WM_LBUTTONUP, 100, 10);
  EXPECT_TRUE(List->Timer->Enabled);
  for (int i = 0; i < 20 && List->Timer->Enabled; ++i) {
    Clock.Advance(10);
    Ticks(1);
  }
  EXPECT_FALSE(List->WheelMoving);
  EXPECT_FALSE(List->Timer->Enabled);
  EXPECT_EQ(List->Offset.y % List->ItemHeight, 0);  // at rest on a row boundary
}

}  // namespace
