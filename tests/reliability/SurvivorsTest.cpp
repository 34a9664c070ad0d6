// Handle accounting over the whole demo: after "Kapat" has ended the loop,
// what is still alive is exactly what the list box keeps on purpose (it is
// never destroyed), and once it is freed too nothing is left.
#include <gtest/gtest.h>

#include "support/ReliabilityDemo.h"
#include "support/ReliabilityScenario.h"

namespace {


TEST(Survivors, DemoScenarioLeavesOnlyWhatTheListBoxHolds) {
  TDeviceScreen screen;
  ResetFrameworkState(crUnregisterClasses);
  TScenarioOutcome run = RunDemoScenario("survivors");

  EXPECT_FALSE(run.Hung);
  EXPECT_TRUE(run.Completed) << run.Steps << " steps";
  EXPECT_NE(run.FormWindow, nullptr);
  EXPECT_TRUE(run.EndedThroughKapat()) << "Kapat " << run.KapatExisted << ", WM_CLOSE "
                                       << run.CloseReachedForm << ", quits " << run.QuitRequests;
  EXPECT_EQ(run.Invariants, "");

  // The scenario did what it says: both glides came to rest on their ticks,
  // the tap selected and highlighted its row and the double tap showed it.
  EXPECT_GT(run.OffsetAfterDrag, 100);
  EXPECT_GT(run.OffsetAfterFlick, run.OffsetAfterDrag);
  EXPECT_TRUE(run.FirstGlideRested);
  EXPECT_TRUE(run.SecondGlideRested);
  EXPECT_GT(run.Ticks, 0);
  EXPECT_EQ(run.SelectedAfterTap, run.ExpectedRow);
  EXPECT_EQ(run.RowPixel, DefaultSelectedColor);
  EXPECT_EQ(run.Boxes, 1);
  EXPECT_EQ(run.BoxText, L"Deneme: " + std::to_wstring(run.ExpectedRow));
  EXPECT_EQ(run.BoxCaption, L"GlideStrip Demo");

  // What survives: the hidden timer window, the back buffer's bitmap and
  // memory DC, and its canvas's brush and font. The canvas's pen takes its
  // colour back to black after every row, which drops the pen's handle.
  EXPECT_EQ(run.Survivors, "");
  const long expected[hkKindCount] = {1, 1, 1, 0, 1, 0, 0, 1, 0, 0};
  for (int k = 0; k < hkKindCount; ++k)
    EXPECT_EQ(run.AfterRun.Alive[k], expected[k]) << HandleKindName(static_cast<THandleKind>(k));
  EXPECT_EQ(run.LeftAlive, "");
  for (int k = 0; k < hkKindCount; ++k)
    Figure(std::string("survivors.demo.") + HandleKindName(static_cast<THandleKind>(k)),
           static_cast<long long>(run.AfterRun.Alive[k]));
  Figure("survivors.demo.created_windows", static_cast<long long>(run.AfterRun.Created[hkWindow]));
  Figure("survivors.demo.glide_ticks", static_cast<long long>(run.Ticks));
}

}  // namespace
