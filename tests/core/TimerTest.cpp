// TTimer under Wine: real SetTimer ticks on the shared hidden "TWND" window,
// the recorder for which platform calls start and stop it.
#include <gtest/gtest.h>

#include <vector>

#include "controls/Control.h"
#include "core/Timer.h"
#include "support/ApiPatch.h"
#include "support/TestWindows.h"

namespace {

struct TTickLog {
  std::vector<void*> Data;
  std::vector<TTimer*> Senders;
};

void CountTick(void* data, TTimer* sender) {
  TTickLog* log = static_cast<TTickLog*>(data);
  log->Data.push_back(data);
  log->Senders.push_back(sender);
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TimerCount, 0) << "a previous test leaked a timer"; }
  void TearDown() override {
    PumpMessages();
    EXPECT_EQ(TimerCount, 0);
    EXPECT_EQ(TimerWindow, nullptr);
  }
};

TEST_F(TimerTest, NewTimerIsStoppedAndNonPositiveIntervalGivesOneSecond) {
  TTimer* zero = NewTimer(0);
  TTimer* negative = NewTimer(-5);
  TTimer* ten = NewTimer(10);
  EXPECT_EQ(zero->Interval, 1000);
  EXPECT_EQ(negative->Interval, 1000);
  EXPECT_EQ(ten->Interval, 10);
  EXPECT_FALSE(ten->Enabled);
  EXPECT_EQ(ten->TimerId, 0u);
  EXPECT_EQ(TimerCount, 3);
  EXPECT_EQ(TimerWindow, nullptr);  // no window until a timer starts
  Free(zero);
  Free(negative);
  EXPECT_EQ(TimerCount, 1);
  Free(ten);
}

TEST_F(TimerTest, StartingTwiceSetsOneTimerOnTheHiddenWindow) {
  TTimer* timer = NewTimer(50);
  TApiRecorder rec;
  RECORD(rec, SetTimer);
  RECORD(rec, KillTimer);

  timer->SetEnabled(false);  // never ran: nothing to stop
  EXPECT_EQ(rec.Calls.size(), 0u);

  timer->SetEnabled(true);
  timer->SetEnabled(true);
  ASSERT_EQ(rec.Count("SetTimer"), 1u);
  ASSERT_NE(TimerWindow, nullptr);
  const TRecordedCall& set = rec.Calls[0];
  EXPECT_EQ(set.Arg(0), RecordedValue(TimerWindow->Handle));
  EXPECT_EQ(set.Arg(1), RecordedValue(timer));  // the object's address is the identifier
  EXPECT_EQ(set.Arg(2), 50u);
  EXPECT_EQ(set.Arg(3), RecordedValue(&TimerProc));
  EXPECT_NE(timer->TimerId, 0u);
  EXPECT_EQ(timer->TimerId, set.Result);

  UINT_PTR id = timer->TimerId;
  timer->SetEnabled(false);
  timer->SetEnabled(false);
  ASSERT_EQ(rec.Count("KillTimer"), 1u);
  EXPECT_EQ(rec.Only("KillTimer")[0].Arg(0), RecordedValue(TimerWindow->Handle));
  EXPECT_EQ(rec.Only("KillTimer")[0].Arg(1), static_cast<uint64_t>(id));
  EXPECT_EQ(timer->TimerId, 0u);
  Free(timer);
}

TEST_F(TimerTest, HiddenWindowIsSharedAndGoesWithTheLastTimer) {
  TTimer* first = NewTimer(1000);
  TTimer* second = NewTimer(1000);
  first->SetEnabled(true);
  ASSERT_NE(TimerWindow, nullptr);
  TControl* window = TimerWindow;
  HWND wnd = window->Handle;
  ASSERT_TRUE(IsWindow(wnd));
  wchar_t className[16] = {};
  GetClassNameW(wnd, className, 16);
  EXPECT_STREQ(className, L"TWND");
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_EQ(GetParent(wnd), nullptr);
  EXPECT_TRUE(window->IsChild);

  second->SetEnabled(true);
  EXPECT_EQ(TimerWindow, window);  // shared

  Free(first);
  EXPECT_EQ(TimerWindow, window);  // a timer object is still alive
  EXPECT_TRUE(IsWindow(wnd));
  Free(second);
  EXPECT_EQ(TimerWindow, nullptr);
  EXPECT_FALSE(IsWindow(wnd));

  // A later start makes a new window.
  TTimer* third = NewTimer(1000);
  third->SetEnabled(true);
  ASSERT_NE(TimerWindow, nullptr);
  EXPECT_TRUE(IsWindow(TimerWindow->Handle));
  Free(third);
}

TEST_F(TimerTest, RealTicksReachOnTimerWithReceiverAndSender) {
  TTickLog log;
  TTimer* timer = NewTimer(10);
  timer->OnTimer = {CountTick, &log};
  timer->SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return log.Senders.size() >= 3; }, 3000));
  ASSERT_FALSE(log.Senders.empty());
  EXPECT_EQ(log.Senders[0], timer);
  EXPECT_EQ(log.Data[0], &log);

  timer->SetEnabled(false);
  PumpMessages();
  size_t stopped = log.Senders.size();
  Sleep(50);  // several periods
  PumpMessages();
  EXPECT_EQ(log.Senders.size(), stopped);
  Free(timer);
}

TEST_F(TimerTest, SetIntervalRestartsOnlyARunningTimer) {
  TTimer* timer = NewTimer(100);
  TApiRecorder rec;
  RECORD(rec, SetTimer);
  RECORD(rec, KillTimer);

  timer->SetInterval(100);
  timer->SetInterval(250);  // stopped: only stored
  EXPECT_EQ(rec.Calls.size(), 0u);
  EXPECT_EQ(timer->Interval, 250);

  timer->SetEnabled(true);
  rec.ClearCalls();
  timer->SetInterval(250);
  EXPECT_EQ(rec.Calls.size(), 0u);
  timer->SetInterval(40);
  ASSERT_EQ(rec.Names(), (std::vector<std::string>{"KillTimer", "SetTimer"}));
  EXPECT_EQ(rec.Calls[1].Arg(2), 40u);
  EXPECT_TRUE(timer->Enabled);
  EXPECT_NE(timer->TimerId, 0u);

  timer->SetInterval(0);  // no lower bound: stored as given
  EXPECT_EQ(timer->Interval, 0);
  Free(timer);
}

TEST_F(TimerTest, AStartThatCannotTickLeavesNothingToKill) {
  TTimer* timer = NewTimer(10);
  TApiRecorder rec;
  {
    TScopedPatch fail(Api.SetTimer, [](HWND, UINT_PTR, UINT, TIMERPROC) -> UINT_PTR { return 0; });
    timer->SetEnabled(true);
  }
  EXPECT_TRUE(timer->Enabled);
  EXPECT_EQ(timer->TimerId, 0u);
  RECORD(rec, KillTimer);
  RECORD(rec, SetTimer);
  timer->SetEnabled(false);
  EXPECT_EQ(rec.Count("KillTimer"), 0u);

  Free(timer);  // the last timer: its window goes too

  // Without its window SetTimer would make a thread timer whose ticks name no timer.
  TTimer* windowless = NewTimer(10);
  {
    TScopedPatch noWindow(Api.CreateWindowExW,
                          [](DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU,
                             HINSTANCE, LPVOID) -> HWND { return nullptr; });
    windowless->SetEnabled(true);
  }
  EXPECT_EQ(rec.Count("SetTimer"), 0u);
  EXPECT_EQ(windowless->TimerId, 0u);
  Free(windowless);
}

TEST_F(TimerTest, TickForADestroyedTimerIsIgnored) {
  TTickLog goneLog;
  TTickLog liveLog;
  TTimer* gone = NewTimer(60000);
  gone->OnTimer = {CountTick, &goneLog};
  gone->SetEnabled(true);
  // Keeps the hidden window and a timer with TimerProc alive, so the platform dispatches the tick.
  TTimer* live = NewTimer(60000);
  live->OnTimer = {CountTick, &liveLog};
  live->SetEnabled(true);
  HWND wnd = TimerWindow->Handle;
  UINT_PTR goneId = reinterpret_cast<UINT_PTR>(gone);
  UINT_PTR liveId = reinterpret_cast<UINT_PTR>(live);

  // A tick already queued when the timer goes.
  PostMessageW(wnd, WM_TIMER, goneId, reinterpret_cast<LPARAM>(&TimerProc));
  Free(gone);
  PumpMessages();
  TimerProc(wnd, WM_TIMER, goneId, 0);
  EXPECT_TRUE(goneLog.Senders.empty());

  // The same route works for a timer that still exists.
  PostMessageW(wnd, WM_TIMER, liveId, reinterpret_cast<LPARAM>(&TimerProc));
  PumpMessages();
  TimerProc(wnd, WM_TIMER, liveId, 0);
  ASSERT_EQ(liveLog.Senders.size(), 2u);
  EXPECT_EQ(liveLog.Senders[1], live);

  live->OnTimer.Clear();
  TimerProc(wnd, WM_TIMER, liveId, 0);  // unassigned: nothing runs
  EXPECT_EQ(liveLog.Senders.size(), 2u);
  Free(live);
}

// WM_CLOSE from another program, or DestroyWindow: the shared window is a
// top-level window anybody may close.
TEST_F(TimerTest, HiddenWindowClosedFromOutsideLeavesTimersRestartable) {
  for (bool close : {true, false}) {
    TTickLog log;
    TTimer* timer = NewTimer(10);
    timer->OnTimer = {CountTick, &log};
    timer->SetEnabled(true);
    ASSERT_NE(TimerWindow, nullptr);
    HWND gone = TimerWindow->Handle;
    if (close)
      SendMessageW(gone, WM_CLOSE, 0, 0);
    else
      DestroyWindow(gone);
    PumpMessages();
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(TimerWindow, nullptr) << "close " << close;
    EXPECT_FALSE(timer->Enabled);
    EXPECT_EQ(timer->TimerId, 0u);

    timer->SetEnabled(true);  // on a new window
    ASSERT_NE(TimerWindow, nullptr);
    EXPECT_NE(TimerWindow->Handle, gone);
    EXPECT_TRUE(PumpUntil([&] { return log.Senders.size() >= 2; }, 3000)) << "close " << close;
    Free(timer);
  }
}

}  // namespace
