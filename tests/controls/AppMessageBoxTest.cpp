// The application's message box: owner and caption come from the main form.
// MessageBoxW is replaced through the table, so no modal box blocks the test.
#include <gtest/gtest.h>

#include <string>

#include "controls/Application.h"
#include "support/ApiPatch.h"
#include "support/LoopSupport.h"

namespace {

struct TBoxCall {
  int Calls = 0;
  HWND Owner = nullptr;
  bool TextNull = false;
  std::wstring Text;
  bool CaptionNull = false;
  std::wstring Caption;
  UINT Flags = 0;
};
TBoxCall Box;

int WINAPI FakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
  ++Box.Calls;
  Box.Owner = owner;
  Box.TextNull = text == nullptr;
  Box.Text = text != nullptr ? text : L"";
  Box.CaptionNull = caption == nullptr;
  Box.Caption = caption != nullptr ? caption : L"";
  Box.Flags = flags;
  return 0;  // no box shown: passed back unchanged
}

class AppMessageBox : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFrameworkState();
    Box = TBoxCall();
  }
  void TearDown() override { ResetFrameworkState(); }
  TScopedPatch<decltype(Api.MessageBoxW)> Patch{Api.MessageBoxW, FakeMessageBox};
};

TEST_F(AppMessageBox, WithoutAMainFormThereIsNoOwnerAndNoCaption) {
  EXPECT_EQ(ShowMessage(L"Deneme: 7"), 0);
  EXPECT_EQ(Box.Calls, 1);
  EXPECT_EQ(Box.Owner, nullptr);
  EXPECT_TRUE(Box.CaptionNull);  // the platform's default caption
  EXPECT_EQ(Box.Text, L"Deneme: 7");
  EXPECT_EQ(Box.Flags, static_cast<UINT>(MB_OK | MB_SETFOREGROUND));

  ShowMessageBox(nullptr, MB_OK);
  EXPECT_FALSE(Box.TextNull);  // an absent text is shown as an empty message
  EXPECT_EQ(Box.Text, L"");
}

TEST_F(AppMessageBox, TheMainFormOwnsTheBoxAndGivesItsCaption) {
  TControl* form = NewForm(nullptr, L"GlideStrip Demo");
  MainForm = form;
  ShowMessage(L"no window yet");
  EXPECT_EQ(Box.Owner, nullptr);
  EXPECT_EQ(form->Handle, nullptr);  // the box does not create the window
  EXPECT_EQ(Box.Caption, L"GlideStrip Demo");

  HWND wnd = form->GetHandle();
  ShowMessage(L"Deneme: 5");
  EXPECT_EQ(Box.Owner, wnd);
  EXPECT_FALSE(Box.CaptionNull);
  EXPECT_EQ(Box.Caption, L"GlideStrip Demo");
  EXPECT_EQ(Box.Text, L"Deneme: 5");

  ShowMessageBox(nullptr, MB_OK);
  EXPECT_FALSE(Box.TextNull);
  EXPECT_EQ(Box.Text, L"");

  form->SetText(L"");
  ShowMessage(L"x");
  EXPECT_FALSE(Box.CaptionNull);  // a form without caption gives an empty one
  EXPECT_EQ(Box.Caption, L"");

  // After Shutdown there is no main form again.
  TControl* variable = form;
  Shutdown(variable);
  EXPECT_EQ(variable, nullptr);
  ShowMessage(L"after");
  EXPECT_EQ(Box.Owner, nullptr);
  EXPECT_TRUE(Box.CaptionNull);
}

}  // namespace
