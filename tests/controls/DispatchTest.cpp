#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "controls/Control.h"
#include "controls/Dispatch.h"
#include "core/PtrList.h"
#include "core/Timer.h"
#include "tests/support/ApiPatch.h"
#include "tests/support/ControlTestSupport.h"

namespace {

using THookChainTest = TControlFixture;
using TMouseHookTest = TControlFixture;
using TKeyRulesTest = TControlFixture;
using TBuiltInHandlingTest = TControlFixture;
using TSelfReleaseTest = TControlFixture;

const UINT TestMessage = WM_APP + 7;

// ---- hooks that log what they see ----

std::vector<std::string> Seen;
bool ConsumeInB = false;

bool HookA(TControl*, TMessageRecord& message, LRESULT&) {
  if (message.Msg == TestMessage || message.Msg == WM_CLOSE) Seen.push_back("A");
  return false;
}

bool HookB(TControl*, TMessageRecord& message, LRESULT& result) {
  if (message.Msg != TestMessage && message.Msg != WM_CLOSE) return false;
  Seen.push_back("B");
  if (ConsumeInB) result = 22;
  return ConsumeInB;
}

bool KeptHook(TControl*, TMessageRecord& message, LRESULT&) {
  if (message.Msg == TestMessage) Seen.push_back("kept");
  return false;
}

// Takes WM_QUIT out of the queue, dispatching everything else.
bool DrainAndFindQuit() {
  bool quit = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return quit;
}

size_t DefaultCallsFor(const TApiRecorder& rec, UINT message) {
  size_t n = 0;
  for (const auto& call : rec.Only("DefWindowProcW")) n += call.Arg(1) == message;
  return n;
}

TEST_F(THookChainTest, NewestFirstConsumptionStopsAndTerminatedSkipsUnkept) {
  TControl* form = NewTestControl(nullptr);
  ASSERT_NE(form->GetHandle(), nullptr);
  AttachHook(form, HookA);
  AttachHook(form, HookB);
  AttachHook(form, HookA);  // already there: nothing added
  EXPECT_EQ(form->Hooks->Count, 4);

  TApiRecorder rec;
  RECORD(rec, PostQuitMessage);
  RECORD(rec, DefWindowProcW);
  Seen.clear();
  ConsumeInB = true;
  EXPECT_EQ(SendMessageW(form->Handle, TestMessage, 0, 0), 22);
  EXPECT_EQ(Seen, std::vector<std::string>({"B"}));
  EXPECT_EQ(DefaultCallsFor(rec, TestMessage), 0u);
  SendMessageW(form->Handle, WM_CLOSE, 0, 0);
  EXPECT_EQ(rec.Count("PostQuitMessage"), 0u);  // the built-in handling never saw it

  Seen.clear();
  ConsumeInB = false;
  SendMessageW(form->Handle, WM_CLOSE, 0, 0);
  EXPECT_EQ(Seen, std::vector<std::string>({"B", "A"}));
  EXPECT_EQ(rec.Count("PostQuitMessage"), 1u);
  SendMessageW(form->Handle, TestMessage, 0, 0);
  EXPECT_EQ(DefaultCallsFor(rec, TestMessage), 1u);  // not consumed: default processing follows
  EXPECT_EQ(form->RefCount, 0);                      // the chain's own reference is given back

  // After the loop has taken WM_QUIT only hooks attached with the keep flag run.
  AttachHook(form, KeptHook, true);
  Seen.clear();
  Terminated = true;
  SendMessageW(form->Handle, TestMessage, 0, 0);
  EXPECT_EQ(Seen, std::vector<std::string>({"kept"}));
  Free(form);
  DrainAndFindQuit();
}

// ---- mouse ----

struct TMouseLog {
  int Calls = 0;
  TControl* Sender = nullptr;
  TMouseEventInfo Info = {};
  bool Handle = false;
};

void LogMouse(void* data, TControl* sender, TMouseEventInfo& info) {
  auto* log = static_cast<TMouseLog*>(data);
  ++log->Calls;
  log->Sender = sender;
  log->Info = info;
  info.Handled = log->Handle;
}

SHORT WINAPI AltDown(int key) { return key == VK_MENU ? static_cast<SHORT>(0x8000) : 0; }
SHORT WINAPI NoKeyDown(int) { return 0; }

TEST_F(TMouseHookTest, StylusMessageBecomesEventWithSignedPoint) {
  TScopedPatch keys(Api.GetKeyState, &NoKeyDown);
  TControl* panel = NewTestControl(nullptr);
  ASSERT_NE(panel->GetHandle(), nullptr);
  TMouseLog down, up;
  SetOnMouseDown(panel, {LogMouse, &down});
  SetOnMouseUp(panel, {LogMouse, &up});
  EXPECT_EQ(panel->Hooks->Count, 2);  // one MouseHook for both events

  TApiRecorder rec;
  RECORD(rec, DefWindowProcW);
  SendMessageW(panel->Handle, WM_LBUTTONDOWN, MK_LBUTTON, static_cast<LPARAM>(0xFFFF0010u));
  ASSERT_EQ(down.Calls, 1);
  EXPECT_EQ(up.Calls, 0);
  EXPECT_EQ(down.Sender, panel);
  EXPECT_EQ(down.Info.X, 16);
  EXPECT_EQ(down.Info.Y, -1);
  EXPECT_EQ(down.Info.Button, mbLeft);
  EXPECT_EQ(down.Info.Shift, static_cast<uint32_t>(MK_LBUTTON));
  EXPECT_EQ(DefaultCallsFor(rec, WM_LBUTTONDOWN), 1u);  // not handled: default processing

  up.Handle = true;
  EXPECT_EQ(SendMessageW(panel->Handle, WM_RBUTTONUP, 0, MAKELPARAM(3, 4)), 0);
  EXPECT_EQ(up.Info.Button, mbRight);
  EXPECT_EQ(up.Info.X, 3);
  EXPECT_EQ(up.Info.Y, 4);
  EXPECT_EQ(DefaultCallsFor(rec, WM_RBUTTONUP), 0u);  // handled: consumed
  Free(panel);
}

TEST_F(TMouseHookTest, AltAddsItsBitToShift) {
  TScopedPatch keys(Api.GetKeyState, &AltDown);
  TControl* panel = NewTestControl(nullptr);
  ASSERT_NE(panel->GetHandle(), nullptr);
  TMouseLog down, move;
  SetOnMouseDown(panel, {LogMouse, &down});
  SetOnMouseMove(panel, {LogMouse, &move});
  SendMessageW(panel->Handle, WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT, 0);
  EXPECT_EQ(down.Info.Button, mbMiddle);
  EXPECT_EQ(down.Info.Shift, static_cast<uint32_t>(MK_MBUTTON | MK_SHIFT | 0x20));
  SendMessageW(panel->Handle, WM_MOUSEMOVE, 0x20, 0);
  EXPECT_EQ(move.Info.Button, mbNone);
  EXPECT_EQ(move.Info.Shift, 0x20u);  // already set: not added a second time
  Free(panel);
}

void CountResize(void* data, TControl*) { ++*static_cast<int*>(data); }
TControl* Realigned = nullptr;
void RecordRealign(TControl* control) { Realigned = control; }

TEST_F(TBuiltInHandlingTest, SizeFiresOnResizeThenRealigns) {
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  int resized = 0;
  SetOnResize(child, {CountResize, &resized});
  TRealignProc saved = RealignHook;
  RealignHook = RecordRealign;
  Realigned = nullptr;
  child->SetSize(60, 30);
  RealignHook = saved;
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(Realigned, child);
  EXPECT_EQ(child->SizeType, SIZE_RESTORED);
  Free(form);
}

// ---- keys ----

HWND FocusAnswer = nullptr;
HWND WINAPI ScriptedFocus() { return FocusAnswer; }
int KeyStateCalls = 0;
int DownKey = 0;
SHORT WINAPI ScriptedKeys(int key) {
  ++KeyStateCalls;
  return key == DownKey ? static_cast<SHORT>(0x8000) : 0;
}

TEST_F(TKeyRulesTest, TabIsSwallowedUnlessCtrlOrAltIsDown) {
  TControl* form = NewTestControl(nullptr);
  ASSERT_NE(form->GetHandle(), nullptr);
  TScopedPatch focus(Api.GetFocus, &ScriptedFocus);
  TScopedPatch keys(Api.GetKeyState, &ScriptedKeys);
  FocusAnswer = form->Handle;
  TApiRecorder rec;
  RECORD(rec, DefWindowProcW);

  DownKey = 0;
  EXPECT_EQ(SendMessageW(form->Handle, WM_CHAR, 9, 0), 0);
  EXPECT_EQ(DefaultCallsFor(rec, WM_CHAR), 0u);
  SendMessageW(form->Handle, WM_CHAR, 'a', 0);
  EXPECT_EQ(DefaultCallsFor(rec, WM_CHAR), 1u);

  for (int key : {VK_CONTROL, VK_MENU}) {
    rec.ClearCalls();
    DownKey = key;
    SendMessageW(form->Handle, WM_CHAR, 9, 0);
    auto calls = rec.Only("DefWindowProcW");
    ASSERT_EQ(calls.size(), 1u) << key;
    EXPECT_EQ(calls[0].Arg(1), static_cast<uint64_t>(WM_CHAR));
    EXPECT_EQ(calls[0].Arg(2), 9u);  // unchanged
  }
  Free(form);
}

TEST_F(TKeyRulesTest, KeyIsDroppedWhileTheFocusIsElsewhere) {
  TControl* form = NewTestControl(nullptr);
  TControl* other = NewTestControl(nullptr);
  ASSERT_NE(form->GetHandle(), nullptr);
  ASSERT_NE(other->GetHandle(), nullptr);
  TScopedPatch focus(Api.GetFocus, &ScriptedFocus);
  TScopedPatch keys(Api.GetKeyState, &ScriptedKeys);
  TApiRecorder rec;
  RECORD(rec, DefWindowProcW);
  FocusAnswer = other->Handle;
  KeyStateCalls = 0;
  DownKey = 0;
  EXPECT_EQ(SendMessageW(form->Handle, WM_KEYDOWN, 'A', 0), 0);
  EXPECT_EQ(DefaultCallsFor(rec, WM_KEYDOWN), 0u);
  EXPECT_EQ(KeyStateCalls, 0);
  FocusAnswer = nullptr;  // no focus at all: the key goes on
  SendMessageW(form->Handle, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(DefaultCallsFor(rec, WM_KEYDOWN), 1u);
  Free(other);
  Free(form);
}

// ---- built-in handling ----

TEST_F(TBuiltInHandlingTest, CloseOnMainFormPostsQuitAndKeepsTheWindow) {
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  MainForm = form;
  Close(form);
  EXPECT_TRUE(DrainAndFindQuit());
  EXPECT_TRUE(IsWindow(form->Handle));

  // Any other control's close goes to default processing, which destroys a child's window.
  TApiRecorder rec;
  RECORD(rec, PostQuitMessage);
  HWND childWnd = child->Handle;
  TDestroyTracker gone(child);
  Close(child);
  EXPECT_FALSE(DrainAndFindQuit());
  EXPECT_EQ(rec.Count("PostQuitMessage"), 0u);
  EXPECT_FALSE(IsWindow(childWnd));
  EXPECT_TRUE(gone.Fired);
  EXPECT_EQ(form->ChildCount(), 0);
  MainForm = nullptr;
  Free(form);
}

// A child that answers its notifications and colour requests itself.
struct TChildAnswers {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
};
TChildAnswers Answered;
bool AnswerHook(TControl*, TMessageRecord& message, LRESULT& result) {
  if (message.Msg != CommandNotify && message.Msg != WM_CTLCOLORSTATIC + ReflectBase) return false;
  Answered = {message.Msg, message.WParam, message.LParam};
  result = message.Msg == CommandNotify ? 0x1234 : 0x5678;
  return true;
}

TEST_F(TBuiltInHandlingTest, ButtonNotificationReachesTheButtonAsCommandNotify) {
  TControl* form = NewTestControl(nullptr);
  TControl* button = NewTestButton(form);
  button->ControlId = 0x8123;
  AttachHook(button, AnswerHook);
  ASSERT_TRUE(form->CreateHandle());
  ASSERT_TRUE(form->CreateHandle());  // shown now
  const HWND wnd = button->Handle;
  ASSERT_NE(wnd, nullptr);
  // The system class's procedure is kept; the window now runs the framework's.
  ASSERT_NE(button->OldWindowProc, nullptr);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)), &GlobalWindowProc);
  EXPECT_EQ(GetPropW(wnd, L"SELF_"), button);

  Answered = TChildAnswers();
  SendMessageW(wnd, BM_CLICK, 0, 0);  // the system button sends BN_CLICKED to the form
  EXPECT_EQ(Answered.Msg, CommandNotify);
  EXPECT_EQ(HIWORD(Answered.WParam), BN_CLICKED);
  EXPECT_EQ(LOWORD(Answered.WParam), 0x8123);
  EXPECT_EQ(Answered.LParam, reinterpret_cast<LPARAM>(wnd));

  // The form answers with what the button answered.
  EXPECT_EQ(SendMessageW(form->Handle, WM_COMMAND, MAKEWPARAM(0x8123, BN_CLICKED),
                         reinterpret_cast<LPARAM>(wnd)),
            0x1234);
  EXPECT_EQ(SendMessageW(form->Handle, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(wnd)), 0x5678);
  EXPECT_EQ(Answered.Msg, WM_CTLCOLORSTATIC + ReflectBase);

  // A colour request naming no window is never reflected, least of all to everyone.
  TApiRecorder rec;
  RECORD(rec, SendMessageW);
  SendMessageW(form->Handle, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(HWND_BROADCAST));
  SendMessageW(form->Handle, WM_CTLCOLORBTN, 0, -1);
  EXPECT_EQ(rec.Count("SendMessageW"), 0u);
  Free(form);
}

TEST_F(TBuiltInHandlingTest, DefaultProcessingUsesTheRightWindow) {
  TControl* form = NewTestControl(nullptr);
  TControl* button = NewTestButton(form);
  ASSERT_TRUE(form->CreateHandle());
  TApiRecorder rec;
  RECORD(rec, CallWindowProcW);
  RECORD(rec, DefWindowProcW);
  // A subclassed control's class procedure runs on the control's own window...
  TMessageRecord foreign = {form->Handle, WM_NULL, 0, 0};
  CallDefault(button, foreign);
  auto calls = rec.Only("CallWindowProcW");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Arg(0), reinterpret_cast<uint64_t>(button->OldWindowProc));
  EXPECT_EQ(calls[0].Arg(1), reinterpret_cast<uint64_t>(button->Handle));
  EXPECT_EQ(rec.Count("DefWindowProcW"), 0u);
  // ...a framework control's default processing on the message's window.
  TMessageRecord other = {button->Handle, WM_NULL, 0, 0};
  CallDefault(form, other);
  auto defaults = rec.Only("DefWindowProcW");
  ASSERT_EQ(defaults.size(), 1u);
  EXPECT_EQ(defaults[0].Arg(0), reinterpret_cast<uint64_t>(button->Handle));

  // A subclassed control's WM_WINDOWPOSCHANGED also gets the default answer.
  rec.ClearCalls();
  SetWindowPos(button->Handle, nullptr, 3, 3, 50, 20, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(DefaultCallsFor(rec, WM_WINDOWPOSCHANGED), 1u);
  Free(form);
}

uint8_t DepthAtSetFocus = 0;
int SetFocusCalls = 0;
TControl* FocusTaker = nullptr;
HWND WINAPI RecordSetFocus(HWND wnd) {
  ++SetFocusCalls;
  if (FocusTaker != nullptr) DepthAtSetFocus = FocusTaker->FocusDepth;
  return DefaultApi.SetFocus(wnd);
}

TEST_F(TBuiltInHandlingTest, FocusGoesOnlyToControlsThatMayTakeIt) {
  TControl* form = NewTestControl(nullptr);
  form->Show(true);
  ASSERT_TRUE(form->CreateHandle());
  TScopedPatch setFocus(Api.SetFocus, &RecordSetFocus);
  TApiRecorder rec;
  RECORD(rec, DefWindowProcW);
  FocusTaker = form;
  SetFocusCalls = 0;
  SetFocus(nullptr);
  SetFocus(form->Handle);  // the platform's own focus change: a real WM_SETFOCUS
  EXPECT_EQ(SetFocusCalls, 0);
  EXPECT_EQ(DefaultCallsFor(rec, WM_SETFOCUS), 0u);  // refused: no default processing

  form->TabStop = true;
  SetFocus(nullptr);
  SetFocus(form->Handle);
  EXPECT_EQ(SetFocusCalls, 1);
  EXPECT_EQ(DepthAtSetFocus, 1);  // the framework's own focus change is marked
  EXPECT_EQ(form->FocusDepth, 0);
  EXPECT_EQ(DefaultCallsFor(rec, WM_SETFOCUS), 1u);

  form->TabStop = false;
  form->Style |= WS_TABSTOP;
  EXPECT_TRUE(TakeFocus(form));
  EnableWindow(form->Handle, FALSE);
  EXPECT_FALSE(TakeFocus(form));
  FocusTaker = nullptr;
  Free(form);
}

// ---- lifetime ----

TEST_F(TSelfReleaseTest, ControlFreesItselfWhenThePlatformDestroysItsWindow) {
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  TDestroyTracker gone(child);
  DestroyWindow(child->Handle);
  EXPECT_TRUE(gone.Fired);
  EXPECT_EQ(form->ChildCount(), 0);

  // Held by somebody else, it stays.
  TControl* held = NewTestControl(form);
  ASSERT_TRUE(held->CreateHandle());
  AddRef(held);
  TDestroyTracker heldGone(held);
  DestroyWindow(held->Handle);
  EXPECT_FALSE(heldGone.Fired);
  EXPECT_TRUE(held->WindowDestroyed);
  Free(held);  // balances the AddRef
  EXPECT_FALSE(heldGone.Fired);
  Free(form);
  EXPECT_TRUE(heldGone.Fired);
}

TEST_F(TSelfReleaseTest, TopLevelControlGoesWithItsWindowUnlessMainForm) {
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  const HWND wnd = form->Handle;
  TDestroyTracker formGone(form);
  TDestroyTracker childGone(child);
  TApiRecorder rec;
  RECORD(rec, DestroyWindow);
  DestroyWindow(wnd);
  EXPECT_TRUE(formGone.Fired);
  EXPECT_TRUE(childGone.Fired);
  // The release does not destroy again a window that the platform is destroying.
  for (const auto& call : rec.Only("DestroyWindow"))
    EXPECT_NE(call.Arg(0), reinterpret_cast<uint64_t>(wnd));

  TControl* main = NewTestControl(nullptr);
  ASSERT_TRUE(main->CreateHandle());
  MainForm = main;
  TDestroyTracker mainGone(main);
  DestroyWindow(main->Handle);
  EXPECT_FALSE(mainGone.Fired);
  EXPECT_TRUE(main->WindowDestroyed);
  MainForm = nullptr;
  Free(main);
}

// The close of a child runs DestroyWindow inside the child's own WM_CLOSE: the
// control must stay until that outer message has returned.
std::vector<std::string> Order;
LRESULT WINAPI LoggingDefault(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = DefaultApi.DefWindowProcW(wnd, msg, wparam, lparam);
  if (msg == WM_CLOSE) Order.push_back("close returned");
  return result;
}
void LogGone(void*, TBaseObject*) { Order.push_back("freed"); }

TEST_F(TSelfReleaseTest, ReleaseWaitsForTheOutermostMessage) {
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  child->OnDestroy = {LogGone, nullptr};
  TScopedPatch def(Api.DefWindowProcW, &LoggingDefault);
  Order.clear();
  SendMessageW(child->Handle, WM_CLOSE, 0, 0);
  EXPECT_EQ(Order, std::vector<std::string>({"close returned", "freed"}));
  Free(form);
}

TEST_F(TSelfReleaseTest, UnboundWindowMessagesDoNotDisturbTheMainForm) {
  TControl* form = NewTestControl(nullptr);
  ASSERT_TRUE(form->CreateHandle());
  MainForm = form;
  // Destroy unbinds the other control's window first, so its WM_DESTROY and
  // WM_NCDESTROY reach the main form's WindowProc.
  TControl* other = NewTestControl(nullptr);
  ASSERT_TRUE(other->CreateHandle());
  Free(other);
  EXPECT_FALSE(form->WindowDestroyed);
  EXPECT_EQ(GetPropW(form->Handle, L"SELF_"), form);
  MainForm = nullptr;
  Free(form);
}

TEST_F(TSelfReleaseTest, MainFormWithoutWindowAdoptsNoOtherWindow) {
  TControl* form = NewTestControl(nullptr);
  MainForm = form;
  // A window of a framework class that no control is bound to.
  TControl* owner = NewTestControl(nullptr);
  ASSERT_TRUE(owner->CreateHandle());
  HWND stray = CreateWindowExW(0, TestClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(stray, nullptr);
  SendMessageW(stray, TestMessage, 0, 0);
  DestroyWindow(stray);
  EXPECT_EQ(form->Handle, nullptr);
  EXPECT_FALSE(form->WindowDestroyed);
  MainForm = nullptr;
  Free(owner);
  Free(form);
}

// ---- controls freed inside their own messages ----

void FreeSender(void*, TControl* sender, TMouseEventInfo&) { Free(sender); }
void FreeForm(void* form, TControl*) { Free(static_cast<TControl*>(form)); }
bool FailCreate(TControl*, TMessageRecord& message, LRESULT& result) {
  if (message.Msg != WM_CREATE) return false;
  DestroyWindow(message.Wnd);  // as the platform does after a failed WM_CREATE
  result = -1;
  return true;
}
LRESULT WINAPI LoggingSend(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = DefaultApi.SendMessageW(wnd, msg, wparam, lparam);
  if (msg == CommandNotify) Order.push_back("notify returned");
  return result;
}
LRESULT WINAPI LoggingMouseDefault(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = DefaultApi.DefWindowProcW(wnd, msg, wparam, lparam);
  if (msg == WM_LBUTTONDOWN) Order.push_back("default");
  return result;
}

TEST_F(TSelfReleaseTest, ControlFreedByItsOwnHandlerGoesWhenTheMessageReturns) {
  // An OnMouseDown that frees its sender: the message still gets its default
  // processing on a live control, then the control goes.
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  SetOnMouseDown(child, {FreeSender, nullptr});
  child->OnDestroy = {LogGone, nullptr};
  Order.clear();
  {
    TScopedPatch def(Api.DefWindowProcW, &LoggingMouseDefault);
    SendMessageW(child->Handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  }
  EXPECT_EQ(Order, std::vector<std::string>({"default", "freed"}));
  EXPECT_EQ(form->ChildCount(), 0);

  // A child's OnClick that frees its form: a real button click, reflected.
  TControl* button = NewTestButton(form);
  ASSERT_TRUE(button->CreateHandle());
  button->Notify = {BN_CLICKED, BN_SETFOCUS, BN_KILLFOCUS};
  AttachHook(button, ChildControlHook);
  button->OnClick = {FreeForm, form};
  form->OnDestroy = {LogGone, nullptr};
  const HWND formWnd = form->Handle;
  Order.clear();
  {
    TScopedPatch send(Api.SendMessageW, &LoggingSend);
    SendMessageW(button->Handle, BM_CLICK, 0, 0);
  }
  EXPECT_EQ(Order, std::vector<std::string>({"notify returned", "freed"}));
  EXPECT_FALSE(IsWindow(formWnd));

  // A hook that fails WM_CREATE: no window, the control stays and can try again.
  TControl* failing = NewTestControl(nullptr);
  AttachHook(failing, FailCreate);
  TDestroyTracker failingGone(failing);
  EXPECT_FALSE(failing->CreateHandle());
  EXPECT_FALSE(failingGone.Fired);
  EXPECT_EQ(failing->Handle, nullptr);
  failing->Hooks->Clear();
  EXPECT_TRUE(failing->CreateHandle());
  EXPECT_TRUE(IsWindow(failing->Handle));
  Free(failing);
}

// Messages of a framework window that no control is bound to reach the main
// form's WindowProc; they must not act on the main form itself.
TEST_F(TSelfReleaseTest, UnboundWindowCannotCloseResizeOrFocusTheMainForm) {
  TControl* form = NewTestControl(nullptr);
  TControl* focused = NewTestControl(form);
  focused->TabStop = true;
  ASSERT_TRUE(form->CreateHandle());
  form->FocusedControl = focused;
  AttachHook(form, FormFocusHook);
  MainForm = form;
  PumpMessages();
  HWND stray = CreateWindowExW(0, TestClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(stray, nullptr);
  const unsigned char sizeType = form->SizeType;
  TApiRecorder rec;
  RECORD(rec, PostQuitMessage);
  RECORD(rec, SetFocus);
  SendMessageW(stray, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(10, 10));
  SendMessageW(stray, WM_SETFOCUS, 0, 0);
  SendMessageW(stray, WM_CLOSE, 0, 0);
  EXPECT_EQ(form->SizeType, sizeType);
  EXPECT_EQ(rec.Count("SetFocus"), 0u);
  EXPECT_EQ(rec.Count("PostQuitMessage"), 0u);
  EXPECT_FALSE(DrainAndFindQuit());
  EXPECT_FALSE(IsWindow(stray));  // the stray window's own default closing
  MainForm = nullptr;
  Free(form);
}

TEST_F(TSelfReleaseTest, FreeingTheMainFormClearsItAndEndsTheLoop) {
  TControl* form = NewTestControl(nullptr);
  ASSERT_TRUE(form->CreateHandle());
  MainForm = form;
  Free(form);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_TRUE(DrainAndFindQuit());  // nothing is left to close: the loop ends
  static HWND owner;
  static LPCWSTR caption;
  owner = HWND(1);
  caption = L"unset";
  TScopedPatch box(Api.MessageBoxW, [](HWND wnd, LPCWSTR, LPCWSTR title, UINT) {
    owner = wnd;
    caption = title;
    return IDOK;
  });
  ShowMessage(L"after");
  EXPECT_EQ(owner, nullptr);  // no freed form's window or caption
  EXPECT_EQ(caption, nullptr);
}


// ---- destruction messages the platform did not send ----

int TimerTicks = 0;
void CountTicks(void*, TTimer*) { ++TimerTicks; }

// Drains the queue through the framework's loop, as the program's does.
void DrainThroughTheLoop() {
  for (int i = 0; i < 1000 && ProcessMessage(nullptr, nullptr); ++i) {
  }
}

HWND PostedTarget = nullptr;
UINT PostedMessage = 0;
int BoxTicks = 0;
// Runs in the box's loop: posts the message there first, then answers the box.
void CALLBACK InTheBox(HWND, UINT, UINT_PTR id, DWORD) {
  if (++BoxTicks == 1) {
    PostMessageW(PostedTarget, PostedMessage, 0, 0);
  } else if (BoxTicks == 3) {
    KillTimer(nullptr, id);
    AnswerMessageBoxes();
  }
}

// Posted to a window, or sent by another program, WM_DESTROY and WM_NCDESTROY
// leave the window in place: the control stays bound and alive, and the
// timers on the hidden timer window go on ticking on that same window.
TEST_F(TSelfReleaseTest, DestructionMessagesFromTheQueueOrAnotherThreadAreOnlyMessages) {
  enum TDelivery { Posted, SentFromAnotherThread, PostedDuringAMessageBox };
  const char* const deliveries[] = {"posted", "sent from another thread", "posted in a box"};
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  ASSERT_TRUE(form->CreateHandle());
  TDestroyTracker formGone(form);
  TDestroyTracker childGone(child);
  TTimer* timer = NewTimer(10);
  timer->OnTimer = {CountTicks, nullptr};
  timer->SetEnabled(true);
  ASSERT_NE(TimerWindow, nullptr);
  TControl* const timerWindow = TimerWindow;
  const HWND timerHandle = TimerWindow->Handle;

  for (TDelivery delivery : {Posted, SentFromAnotherThread, PostedDuringAMessageBox}) {
    for (UINT msg : {WM_DESTROY, WM_NCDESTROY}) {
      for (TControl* target : {child, form, timerWindow}) {
        SCOPED_TRACE(std::string(deliveries[delivery]) + (msg == WM_DESTROY ? " WM_DESTROY" : " WM_NCDESTROY") +
                     (target == child ? " to a child" : target == form ? " to a form" : " to the timer window"));
        const HWND window = target->Handle;
        if (delivery == Posted) {
          PostMessageW(window, msg, 0, 0);
          DrainThroughTheLoop();
        } else if (delivery == SentFromAnotherThread) {
          std::atomic<bool> sent(false);
          std::thread other([&] {
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(window, msg, 0, 0, SMTO_NORMAL, 5000, &answer);
            sent = true;
            PostMessageW(window, WM_APP, 0, 0);  // ends the loop's wait
          });
          for (int i = 0; i < 10000 && !sent; ++i) WaitAndProcess(nullptr);
          other.join();
          DrainThroughTheLoop();
        } else {
          PostedTarget = window;
          PostedMessage = msg;
          BoxTicks = 0;
          SetTimer(nullptr, 0, 20, InTheBox);
          ShowMessageBox(L"box", MB_OK);
          EXPECT_GE(BoxTicks, 3);
          DrainThroughTheLoop();
        }
        EXPECT_FALSE(formGone.Fired);
        EXPECT_FALSE(childGone.Fired);
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(GetPropW(window, SelfProp), target);
        EXPECT_FALSE(target->WindowDestroyed);
        EXPECT_EQ(TimerWindow, timerWindow);
        EXPECT_EQ(TimerWindow->Handle, timerHandle);
        EXPECT_TRUE(timer->Enabled);
        EXPECT_NE(timer->TimerId, 0u);
        const int before = TimerTicks;
        EXPECT_TRUE(PumpUntil([&] { return TimerTicks >= before + 2; }, 3000));
      }
    }
  }
  Free(timer);
  Free(form);
}

}  // namespace
