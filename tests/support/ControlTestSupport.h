// Test support for controls with real windows: a fixture that puts the
// framework's process-wide state back after each test, a control of a
// framework class of its own, and a tracker that tells when a control is gone.
//
//   TEST_F(TControlFixture, Something) {
//     TControl* form = NewTestControl(nullptr);
//     TDestroyTracker gone(form);
//     Free(form);
//     EXPECT_TRUE(gone.Fired);
//   }
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "controls/Control.h"
#include "controls/Dispatch.h"
#include "core/PlatformInfo.h"
#include "tests/support/FrameworkReset.h"
#include "tests/support/TestWindows.h"

// A framework window class that no other code of the system uses.
inline const wchar_t TestClassName[] = L"GlideStripControlTest";

// A top-level control of the test class, or with a parent a child control of it
// at (0, 0, 100, 40); no window yet.
inline TControl* NewTestControl(TControl* parent) {
  TControl* control = NewControl(parent, TestClassName);
  control->ClassStyle = CS_DBLCLKS;
  if (parent != nullptr) {
    control->IsChild = true;
    control->Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    control->Bounds = RECT{0, 0, 100, 40};
  }
  return control;
}

// A system "BUTTON" child that the framework subclasses.
inline TControl* NewTestButton(TControl* parent) {
  TControl* button = NewControl(parent, L"BUTTON");
  button->IsChild = true;
  button->Style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
  button->Bounds = RECT{0, 0, 80, 24};
  return button;
}

// Notices the destruction of one object through its OnDestroy notification.
struct TDestroyTracker {
  bool Fired = false;
  explicit TDestroyTracker(TBaseObject* obj) { obj->OnDestroy = {&TDestroyTracker::Notify, this}; }
  static void Notify(void* data, TBaseObject*) { static_cast<TDestroyTracker*>(data)->Fired = true; }
};

// Puts back what a test may leave behind: the main form, the loop's flag,
// a pending binding, the cached platform type and queued messages.
class TControlFixture : public ::testing::Test {
 protected:
  void TearDown() override { ResetFrameworkState(); }
};
