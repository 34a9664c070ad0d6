// The application loop under Wine: real posted messages, a probe window that
// logs what reaches it, the recorder for how often the loop waits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "controls/Dispatch.h"
#include "support/ApiPatch.h"
#include "support/LoopSupport.h"
#include "support/TestWindows.h"

namespace {

const UINT First = WM_APP + 1;
const UINT Second = WM_APP + 2;

class AppLoop : public ::testing::Test {
 protected:
  void SetUp() override { ResetFrameworkState(); }
  void TearDown() override { ResetFrameworkState(); }
};

TEST_F(AppLoop, QuitIsNeverDispatchedAndThePassDrainsBehindIt) {
  TProbeWindow probe;
  // Taken by the wait.
  PostMessageW(probe.Handle, WM_QUIT, 0, 0);
  PostMessageW(probe.Handle, First, 0, 0);
  WaitAndProcess(nullptr);
  EXPECT_TRUE(Terminated);
  EXPECT_EQ(probe.Posted(), std::vector<UINT>{First});

  // Taken while draining.
  Terminated = false;
  probe.Log.clear();
  PostMessageW(probe.Handle, First, 0, 0);
  PostMessageW(probe.Handle, WM_QUIT, 0, 0);
  PostMessageW(probe.Handle, Second, 0, 0);
  WaitAndProcess(nullptr);
  EXPECT_TRUE(Terminated);
  EXPECT_EQ(probe.Posted(), (std::vector<UINT>{First, Second}));

  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_FALSE(ProcessMessage(nullptr, nullptr));  // an empty queue ends the pass
}

TEST_F(AppLoop, NullEndsADrainingPassButNotAWait) {
  TProbeWindow probe;
  TApiRecorder rec;
  RECORD(rec, GetMessageW);

  PostMessageW(probe.Handle, First, 0, 0);
  PostMessageW(probe.Handle, WM_NULL, 0, 0);
  PostMessageW(probe.Handle, Second, 0, 0);
  WaitAndProcess(nullptr);
  // WM_NULL is dispatched, then the pass ends as if the queue were empty.
  // Stops here if the pass went on: the next wait would find nothing to take.
  ASSERT_EQ(probe.Posted(), (std::vector<UINT>{First, WM_NULL}));
  WaitAndProcess(nullptr);  // the next pass begins with the wait
  EXPECT_EQ(probe.Posted(), (std::vector<UINT>{First, WM_NULL, Second}));
  EXPECT_EQ(rec.Count("GetMessageW"), 2u);

  // Taken by the wait, WM_NULL is simply dispatched and draining goes on.
  probe.Log.clear();
  PostMessageW(probe.Handle, WM_NULL, 0, 0);
  PostMessageW(probe.Handle, First, 0, 0);
  WaitAndProcess(nullptr);
  EXPECT_EQ(probe.Posted(), (std::vector<UINT>{WM_NULL, First}));
  EXPECT_EQ(rec.Count("GetMessageW"), 3u);
  EXPECT_FALSE(Terminated);
}

// The form and its tree, destroyed when the loop ends: each notes its end here.
std::vector<std::string> Ended;
void NoteEnd(void* name, TBaseObject*) { Ended.push_back(static_cast<const char*>(name)); }

struct THolder : TBaseObject {};

std::vector<UINT> FormMessages;
bool NoteFormMessage(TControl*, TMessageRecord& message, LRESULT&) {
  if (message.Msg == WM_CLOSE) FormMessages.push_back(message.Msg);
  return false;
}

TEST_F(AppLoop, RunEndsOnlyAfterQuitAndReleasesTheFormOldestFirst) {
  Ended.clear();
  FormMessages.clear();
  TControl* form = NewForm(nullptr, L"Loop");
  form->OnDestroy = {NoteEnd, const_cast<char*>("form")};
  TControl* panel = NewPanel(form);
  panel->OnDestroy = {NoteEnd, const_cast<char*>("panel")};
  TControl* button = NewButton(form, L"Kapat");
  button->OnDestroy = {NoteEnd, const_cast<char*>("button")};
  THolder* holder = NewObject<THolder>();
  holder->OnDestroy = {NoteEnd, const_cast<char*>("holder")};
  form->AddOwned(holder);
  AttachHook(form, NoteFormMessage);

  HWND formWnd = form->GetHandle();  // created hidden; Run shows it
  HWND panelWnd = panel->Handle;
  HWND buttonWnd = button->Handle;
  ASSERT_TRUE(IsWindow(formWnd));
  EXPECT_FALSE(IsWindowVisible(formWnd));

  TProbeWindow probe;
  Close(form);
  // Ends the first pass before WM_QUIT arrives; Second comes in the next pass.
  PostMessageW(probe.Handle, WM_NULL, 0, 0);
  PostMessageW(probe.Handle, Second, 0, 0);

  TApiRecorder rec;
  RECORD(rec, PostQuitMessage);
  RECORD(rec, ShowWindow);
  TLoopWatchdog watchdog(5000);
  TControl* variable = form;
  ::Run(variable);  // not the test's own Run

  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(FormMessages, std::vector<UINT>{WM_CLOSE});
  EXPECT_EQ(rec.Count("PostQuitMessage"), 1u);
  EXPECT_EQ(probe.Posted(), (std::vector<UINT>{WM_NULL, Second}));
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // taken by the loop

  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_TRUE(Terminated);
  EXPECT_EQ(Ended, (std::vector<std::string>{"form", "panel", "button", "holder"}));
  EXPECT_FALSE(IsWindow(formWnd));
  EXPECT_FALSE(IsWindow(panelWnd));
  EXPECT_FALSE(IsWindow(buttonWnd));
  // Run showed the hidden form before it waited.
  bool shown = false;
  for (const auto& call : rec.Only("ShowWindow"))
    shown = shown || (call.Arg(0) == RecordedValue(formWnd) && call.Arg(1) == SW_SHOW);
  EXPECT_TRUE(shown);
}

TEST_F(AppLoop, FormPassesTheFocusToItsFocusedControl) {
  TControl* form = NewForm(nullptr, L"Focus");
  TControl* button = NewButton(form, L"Kapat");
  ASSERT_EQ(form->FocusedControl, button);  // the first tab stop
  form->CreateHandle();

  TMessageRecord other = {form->Handle, WM_PAINT, 0, 0};
  LRESULT result = 0;
  EXPECT_FALSE(FormFocusHook(form, other, result));

  TMessageRecord focus = {form->Handle, WM_SETFOCUS, 0, 0};
  SetFocus(nullptr);
  EXPECT_TRUE(FormFocusHook(form, focus, result));
  EXPECT_EQ(GetFocus(), button->Handle);

  // Without a focused control the form takes the focus itself.
  TControl* bare = NewForm(form, L"Bare");
  bare->CreateHandle();
  TMessageRecord bareFocus = {bare->Handle, WM_SETFOCUS, 0, 0};
  EXPECT_FALSE(FormFocusHook(bare, bareFocus, result));

  // A second form that gets the focus is remembered by the main form.
  MainForm = form;
  FormFocusHook(bare, bareFocus, result);
  EXPECT_EQ(form->FocusedControl, bare);
  FormFocusHook(form, focus, result);  // the main form itself changes nothing there
  EXPECT_EQ(form->FocusedControl, bare);
  MainForm = nullptr;
  Free(form);  // owns bare
}

TEST_F(AppLoop, FreedSecondFormIsForgottenByTheMainForm) {
  TControl* form = NewForm(nullptr, L"Main");
  TControl* other = NewForm(nullptr, L"Other");  // no parent: nobody owns it
  form->CreateHandle();
  other->CreateHandle();
  MainForm = form;
  TMessageRecord focus = {other->Handle, WM_SETFOCUS, 0, 0};
  LRESULT result = 0;
  FormFocusHook(other, focus, result);
  ASSERT_EQ(form->FocusedControl, other);
  Free(other);
  EXPECT_EQ(form->FocusedControl, nullptr);  // else the next focus would reach freed memory
  MainForm = nullptr;
  Free(form);
}

}  // namespace
