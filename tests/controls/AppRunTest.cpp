// End to end under Wine: a form with a bottom-aligned button and a
// client-aligned panel runs its loop until the button is clicked. The click
// is a real BM_CLICK, posted from a timer tick inside the loop.
#include <gtest/gtest.h>

#include "controls/Align.h"
#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "controls/Dispatch.h"
#include "core/Timer.h"
#include "support/LoopSupport.h"

namespace {

struct TScene {
  TControl* Form = nullptr;
  TControl* Button = nullptr;
  TControl* Panel = nullptr;
  TTimer* Timer = nullptr;
  int Ticks = 0;
  int Clicks = 0;
  bool ClickedInsideTheLoop = false;
  RECT Client = {};
  RECT ButtonBounds = {};
  RECT PanelBounds = {};
};

void CloseClick(void* data, TControl*) {
  TScene* scene = static_cast<TScene*>(data);
  ++scene->Clicks;
  scene->ClickedInsideTheLoop = MainForm == scene->Form && !Terminated;
  Close(scene->Form);
}

void PressButton(void* data, TTimer* sender) {
  TScene* scene = static_cast<TScene*>(data);
  ++scene->Ticks;
  sender->SetEnabled(false);
  // The layout as the running program has it.
  GetClientRect(scene->Form->Handle, &scene->Client);
  scene->ButtonBounds = scene->Button->GetBounds();
  scene->PanelBounds = scene->Panel->GetBounds();
  PostMessageW(scene->Button->Handle, BM_CLICK, 0, 0);
}

TEST(AppRun, FormRunsUntilItsCloseButtonIsClicked) {
  ResetFrameworkState();
  TScene scene;
  scene.Form = NewForm(nullptr, L"GlideStrip Demo");
  scene.Form->AlignMargin = 0;
  scene.Button = WithAlign(NewButton(scene.Form, L"Kapat"), alBottom)->SetSize(0, 38);
  scene.Button->OnClick = {CloseClick, &scene};
  scene.Panel = NewPanel(scene.Form);
  SetAlign(scene.Panel, alClient);
  scene.Timer = NewTimer(10);
  scene.Form->AddOwned(scene.Timer);  // released with the form
  scene.Timer->OnTimer = {PressButton, &scene};
  scene.Timer->SetEnabled(true);

  TLoopWatchdog watchdog(5000);
  TControl* form = scene.Form;
  ::Run(form);  // not the test's own Run

  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(scene.Ticks, 1);
  EXPECT_EQ(scene.Clicks, 1);
  EXPECT_TRUE(scene.ClickedInsideTheLoop);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_EQ(TimerCount, 0);
  EXPECT_EQ(TimerWindow, nullptr);

  // With margin 0 the button takes the bottom 38 pixels over the whole width
  // and the panel everything above it.
  const RECT& c = scene.Client;
  ASSERT_GT(c.bottom, 38);
  EXPECT_EQ(scene.ButtonBounds.left, 0);
  EXPECT_EQ(scene.ButtonBounds.top, c.bottom - 38);
  EXPECT_EQ(scene.ButtonBounds.right, c.right);
  EXPECT_EQ(scene.ButtonBounds.bottom, c.bottom);
  EXPECT_EQ(scene.PanelBounds.left, 0);
  EXPECT_EQ(scene.PanelBounds.top, 0);
  EXPECT_EQ(scene.PanelBounds.right, c.right);
  EXPECT_EQ(scene.PanelBounds.bottom, c.bottom - 38);
  ResetFrameworkState();
}

}  // namespace
