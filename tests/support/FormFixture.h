// A test fixture with one main form of the framework, freed after the test
// with the messages its destruction queued.
#pragma once

#include <gtest/gtest.h>

#include "controls/Application.h"
#include "controls/Control.h"
#include "support/TestWindows.h"

class TFormFixture : public ::testing::Test {
 protected:
  void SetUp() override { Form = NewForm(nullptr, L"Test form"); }
  void TearDown() override {
    Free(Form);
    PumpMessages();
  }
  // Creates the visible window tree.
  void Open() {
    Form->Show(true);
    ASSERT_TRUE(Form->CreateHandle());
    PumpMessages();
  }

  TControl* Form = nullptr;
};
