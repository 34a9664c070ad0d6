#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "controls/Control.h"
#include "controls/Dispatch.h"
#include "core/PtrList.h"
#include "tests/support/ApiPatch.h"
#include "tests/support/ControlTestSupport.h"
#include "tests/support/FreedMemory.h"

namespace {

using TControlCreationTest = TControlFixture;
using TControlBoundsTest = TControlFixture;
using TControlDestroyTest = TControlFixture;

uint64_t AsArg(int value) { return static_cast<uint64_t>(value); }  // as the recorder widens an int

// What the last SHCreateMenuBar was given and gave back.
SHMENUBARINFO LastBar;
int BarCalls = 0;
BOOL WINAPI CaptureMenuBar(SHMENUBARINFO* info) {
  ++BarCalls;
  BOOL ok = DefaultApi.SHCreateMenuBar(info);
  LastBar = *info;
  return ok;
}

std::wstring RegisteredName;
ATOM WINAPI CaptureRegister(const WNDCLASSW* wc) {
  RegisteredName = wc->lpszClassName;
  return DefaultApi.RegisterClassW(wc);
}

struct TFirstMessage {
  UINT Msg = 0;
  bool Bound = false;
};
TFirstMessage First;
bool FirstMessageHook(TControl* control, TMessageRecord& message, LRESULT&) {
  if (First.Msg == 0) {
    First.Msg = message.Msg;
    First.Bound = control->Handle == message.Wnd && GetPropW(message.Wnd, L"SELF_") == control;
  }
  return false;
}

RECT WindowRect(HWND wnd) {
  RECT rect = {};
  GetWindowRect(wnd, &rect);
  return rect;
}

void ExpectRect(const RECT& actual, int left, int top, int right, int bottom) {
  EXPECT_EQ(actual.left, left);
  EXPECT_EQ(actual.top, top);
  EXPECT_EQ(actual.right, right);
  EXPECT_EQ(actual.bottom, bottom);
}

TEST_F(TControlCreationTest, ChildTakesParentSettingsAndJoinsItsTree) {
  TControl* parent = NewTestControl(nullptr);
  EXPECT_EQ(parent->Style, 0x16800000u);
  EXPECT_TRUE(parent->Visible);
  EXPECT_EQ(parent->AlignMargin, 2);
  EXPECT_EQ(parent->FontColor, SysColorWindowText);
  EXPECT_EQ(parent->Color, SysColorWindow);
  ASSERT_NE(parent->Hooks, nullptr);
  EXPECT_EQ(parent->Hooks->Count, 0);
  EXPECT_EQ(parent->ClassName, TestClassName);  // refers to the text, no copy

  parent->AlignMargin = 0;
  parent->GetFont()->SetColor(0x00112233);
  parent->GetBrush()->SetColor(0x00445566);
  TControl* child = NewTestControl(parent);
  EXPECT_EQ(child->Parent, parent);
  EXPECT_EQ(child->AlignMargin, 0);
  EXPECT_EQ(child->FontColor, 0x00112233u);
  EXPECT_EQ(child->Color, 0x00445566u);
  // Own copies of the parent's tools, which report back to the child.
  ASSERT_NE(child->Brush, nullptr);
  ASSERT_NE(child->Font, nullptr);
  EXPECT_NE(child->Font, parent->Font);
  EXPECT_EQ(child->Font->ParentTool, parent->Font);
  EXPECT_EQ(child->Brush->ParentTool, parent->Brush);
  child->Brush->SetColor(0x00ABCDEF);
  EXPECT_EQ(child->Color, 0x00ABCDEFu);
  EXPECT_EQ(parent->Color, 0x00445566u);
  ASSERT_EQ(parent->ChildCount(), 1);
  EXPECT_EQ(parent->GetChild(0), child);
  EXPECT_EQ(child->GetForm(), parent);
  EXPECT_EQ(parent->GetForm(), parent);

  TDestroyTracker gone(child);
  Free(parent);  // the parent owns the child
  EXPECT_TRUE(gone.Fired);
}

TEST_F(TControlCreationTest, FrameworkClassIsRegisteredOnceAndBoundByTheFirstMessage) {
  static const wchar_t onceName[] = L"GlideStripRegisteredOnce";
  TApiRecorder rec;
  RECORD(rec, RegisterClassW);
  First = TFirstMessage();
  TControl* form = NewControl(nullptr, onceName);
  form->ClassStyle = CS_DBLCLKS;
  AttachHook(form, FirstMessageHook);
  TControl* child = NewControl(form, onceName);
  child->IsChild = true;
  child->Style = WS_CHILD | WS_VISIBLE;
  child->SetColor(0x00102030);  // needs the window: both are created, hidden
  HWND wnd = form->Handle;
  ASSERT_NE(wnd, nullptr);
  ASSERT_NE(child->Handle, nullptr);
  EXPECT_TRUE(child->ShowPending);
  EXPECT_NE(First.Msg, 0u);
  EXPECT_TRUE(First.Bound);  // already bound when its first message arrived
  EXPECT_EQ(GetPropW(wnd, L"SELF_"), form);
  EXPECT_EQ(CreatingControl, nullptr);
  EXPECT_EQ(GetClassLongPtrW(wnd, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)), &GlobalWindowProc);
  EXPECT_EQ(form->OldWindowProc, nullptr);
  // Created on demand: hidden, and shown by the next CreateHandle.
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_TRUE(form->ShowPending);
  EXPECT_TRUE(form->CreateHandle());
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_FALSE(form->ShowPending);

  TControl* second = NewControl(nullptr, onceName);
  ASSERT_NE(second->GetHandle(), nullptr);
  EXPECT_EQ(second->OldWindowProc, nullptr);  // our own class is not taken for a system one
  EXPECT_EQ(rec.Count("RegisterClassW"), 1u);
  Free(second);
  Free(form);
  UnregisterClassW(onceName, GetModuleHandleW(nullptr));  // registered afresh on a repeat
}

TEST_F(TControlCreationTest, FullScreenFormCoversWorkAreaDownToSoftKeyBar) {
  TScopedPatch bar(Api.SHCreateMenuBar, &CaptureMenuBar);
  BarCalls = 0;
  TControl* form = NewTestControl(nullptr);
  form->FullScreen = true;
  ASSERT_TRUE(form->CreateHandle());

  RECT area = {};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
  ASSERT_EQ(BarCalls, 1);
  EXPECT_EQ(LastBar.cbSize, sizeof(SHMENUBARINFO));
  EXPECT_EQ(LastBar.hwndParent, form->Handle);
  EXPECT_EQ(LastBar.dwFlags, static_cast<DWORD>(SHCMBF_EMPTYBAR));
  EXPECT_EQ(LastBar.nToolBarId, 0u);
  ASSERT_NE(LastBar.hwndMB, nullptr);
  const RECT barRect = WindowRect(LastBar.hwndMB);
  ASSERT_LT(barRect.top, GetSystemMetrics(SM_CYSCREEN));
  ExpectRect(WindowRect(form->Handle), area.left, area.top, area.right, barRect.top);
  Free(form);

  // A form placed lower is cut back to the bar's top just the same.
  TControl* lower = NewTestControl(nullptr);
  lower->FullScreen = true;
  lower->SetTop(40);
  ASSERT_TRUE(lower->CreateHandle());
  ExpectRect(WindowRect(lower->Handle), 0, 40, area.right, WindowRect(LastBar.hwndMB).top);
  Free(lower);
}

TEST_F(TControlCreationTest, TopLevelPlacementFollowsBoundsSet) {
  TApiRecorder rec;
  RECORD(rec, CreateWindowExW);
  TControl* plain = NewTestControl(nullptr);
  ASSERT_TRUE(plain->CreateHandle());
  TControl* placed = NewTestControl(nullptr);
  placed->Bounds = RECT{0, 0, 200, 150};
  placed->SetLeft(30);
  EXPECT_EQ(placed->BoundsSet, BoundsLeftSet | BoundsSizeSet);
  ASSERT_TRUE(placed->CreateHandle());

  auto calls = rec.Only("CreateWindowExW");
  ASSERT_GE(calls.size(), 2u);  // the soft-key bar windows are not made through the table
  // No bounds at all: the platform's default position and size.
  EXPECT_EQ(calls[0].Arg(4), AsArg(CW_USEDEFAULT));
  EXPECT_EQ(calls[0].Arg(5), AsArg(CW_USEDEFAULT));
  EXPECT_EQ(calls[0].Arg(6), AsArg(CW_USEDEFAULT));
  EXPECT_EQ(calls[0].Arg(7), AsArg(CW_USEDEFAULT));
  // After SetLeft the stored left and top are used; a top still at 0 stays 0.
  EXPECT_EQ(calls[1].Arg(4), AsArg(30));
  EXPECT_EQ(calls[1].Arg(5), AsArg(0));
  EXPECT_EQ(calls[1].Arg(6), AsArg(200));
  EXPECT_EQ(calls[1].Arg(7), AsArg(150));
  Free(placed);
  Free(plain);
}

// A hook that frees its control while the window is being made: what asked
// for the handle learns that the control is gone, and nothing of it is
// touched after its release.
HWND MadeWindow = nullptr;
bool FreeOnCreate(TControl* control, TMessageRecord& message, LRESULT&) {
  if (message.Msg != WM_CREATE) return false;
  MadeWindow = message.Wnd;
  Free(control);
  return false;
}

TEST_F(TControlCreationTest, ControlFreedDuringItsCreationOnDemandIsReportedGone) {
  for (bool explicitlyShown : {false, true}) {
    SCOPED_TRACE(explicitlyShown ? "shown before" : "created on demand");
    TControl* control = NewTestControl(nullptr);
    if (explicitlyShown) control->Show(true);
    AttachHook(control, FreeOnCreate);
    TDestroyTracker gone(control);
    MadeWindow = nullptr;
    HWND handle = reinterpret_cast<HWND>(1);
    {
      TFreedMemoryWatch watch;
      handle = control->GetHandle();
      EXPECT_EQ(watch.Touched(), 0u);
      EXPECT_GE(watch.Held(), 1u);
    }
    EXPECT_TRUE(gone.Fired);
    EXPECT_EQ(handle, nullptr);
    ASSERT_NE(MadeWindow, nullptr);
    EXPECT_FALSE(IsWindow(MadeWindow));  // the window went with its control
  }
}

TEST_F(TControlCreationTest, LongClassNameIsCutTo63Units) {
  static const wchar_t longName[] =
      L"GlideStripControlTestWithAClassNameFarLongerThanTheBufferOfSixtyFourUnits";
  static_assert(sizeof(longName) / sizeof(wchar_t) - 1 > 63, "the name must not fit");
  TScopedPatch reg(Api.RegisterClassW, &CaptureRegister);
  RegisteredName.clear();
  TControl* control = NewControl(nullptr, longName);
  ASSERT_TRUE(control->CreateHandle());
  EXPECT_EQ(RegisteredName, std::wstring(longName, 63));
  wchar_t actual[128] = {};
  GetClassNameW(control->Handle, actual, 128);
  EXPECT_EQ(std::wstring(actual), std::wstring(longName, 63));
  Free(control);
  UnregisterClassW(actual, GetModuleHandleW(nullptr));
}

int CreateAttempts = 0;
HWND WINAPI FailingCreate(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE,
                          LPVOID) {
  ++CreateAttempts;
  return nullptr;
}

TEST_F(TControlCreationTest, FailedCreationIsReportedOnceAndCanBeRetried) {
  TControl* form = NewTestControl(nullptr);
  TControl* child = NewTestControl(form);
  TControl* grandchild = NewTestControl(child);
  CreateAttempts = 0;
  {
    TScopedPatch fail(Api.CreateWindowExW, &FailingCreate);
    EXPECT_EQ(grandchild->GetHandle(), nullptr);
    EXPECT_FALSE(form->CreateHandle());
  }
  // One attempt for the form per request; no child is asked while its parent has no window.
  EXPECT_EQ(CreateAttempts, 2);
  EXPECT_EQ(CreatingControl, nullptr);
  EXPECT_EQ(form->Handle, nullptr);
  EXPECT_EQ(child->Handle, nullptr);

  // A failed on-demand creation leaves nothing hidden for good: the retry shows the tree.
  ASSERT_TRUE(form->CreateHandle());
  EXPECT_NE(child->Handle, nullptr);
  EXPECT_NE(grandchild->Handle, nullptr);
  EXPECT_EQ(GetPropW(grandchild->Handle, L"SELF_"), grandchild);
  EXPECT_TRUE(IsWindowVisible(form->Handle));
  EXPECT_TRUE(IsWindowVisible(grandchild->Handle));
  EXPECT_FALSE(form->ShowPending);
  Free(form);
}

BOOL WINAPI RefuseProp(HWND, LPCWSTR, HANDLE) { return FALSE; }

TEST_F(TControlCreationTest, SubclassedWindowThatCannotBeBoundIsGivenUp) {
  TControl* form = NewTestControl(nullptr);
  ASSERT_NE(form->GetHandle(), nullptr);
  TControl* button = NewTestButton(form);
  TApiRecorder rec;
  RECORD(rec, CreateWindowExW);
  RECORD(rec, DestroyWindow);
  {
    TScopedPatch refuse(Api.SetPropW, &RefuseProp);
    EXPECT_FALSE(button->CreateHandle());
  }
  EXPECT_EQ(button->Handle, nullptr);
  auto made = rec.Only("CreateWindowExW");
  ASSERT_EQ(made.size(), 1u);
  const HWND wnd = reinterpret_cast<HWND>(made[0].Result);
  EXPECT_FALSE(IsWindow(wnd));
  ASSERT_EQ(rec.Count("DestroyWindow"), 1u);
  EXPECT_EQ(rec.Only("DestroyWindow")[0].Arg(0), made[0].Result);

  ASSERT_TRUE(button->CreateHandle());  // tried again once binding works
  EXPECT_EQ(GetPropW(button->Handle, L"SELF_"), button);
  Free(form);
}

TEST_F(TControlCreationTest, TextReachesTheWindowAndEmptyTextIsNoNullPointer) {
  TApiRecorder rec;
  RECORD(rec, SendMessageW);
  TControl* form = NewTestControl(nullptr);
  form->GetHandle();
  form->SetText(L"GlideStrip Demo");
  wchar_t text[32] = {};
  GetWindowTextW(form->Handle, text, 32);
  EXPECT_STREQ(text, L"GlideStrip Demo");
  rec.ClearCalls();
  form->SetText(L"");
  auto sends = rec.Only("SendMessageW");
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0].Arg(1), static_cast<uint64_t>(WM_SETTEXT));
  EXPECT_NE(sends[0].Arg(3), 0u);  // an empty wide string, never a null pointer
  EXPECT_EQ(GetWindowTextLengthW(form->Handle), 0);
  Free(form);
}

TEST_F(TControlBoundsTest, SetBoundsPassesOnlyWhatChanged) {
  TControl* form = NewTestControl(nullptr);
  form->Bounds = RECT{10, 10, 310, 310};
  form->BoundsSet = BoundsLeftSet | BoundsTopSet | BoundsSizeSet;
  TControl* child = NewTestControl(form);
  child->Bounds = RECT{5, 5, 55, 25};
  ASSERT_TRUE(form->CreateHandle());
  ASSERT_NE(child->Handle, nullptr);

  TApiRecorder rec;
  RECORD(rec, SetWindowPos);
  child->SetBounds(RECT{5, 5, 55, 25});
  EXPECT_EQ(rec.Count("SetWindowPos"), 0u);

  child->SetBounds(RECT{8, 9, 58, 29});  // moved only
  child->SetBounds(RECT{8, 9, 78, 49});  // sized only
  child->SetBounds(RECT{1, 2, 11, 12});  // both
  auto calls = rec.Only("SetWindowPos");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].Arg(6), static_cast<uint64_t>(SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE));
  EXPECT_EQ(calls[1].Arg(6), static_cast<uint64_t>(SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE));
  EXPECT_EQ(calls[2].Arg(6), static_cast<uint64_t>(SWP_NOZORDER | SWP_NOACTIVATE));
  // Child bounds are read back relative to the parent's client area.
  ExpectRect(child->GetBounds(), 1, 2, 11, 12);
  EXPECT_EQ(child->GetWidth(), 10);
  EXPECT_EQ(child->GetHeight(), 10);
  Free(form);
}

TEST_F(TControlBoundsTest, FullScreenFormGainsCaptionOnFirstSetBoundsOnly) {
  TControl* form = NewTestControl(nullptr);
  form->FullScreen = true;
  form->Style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  form->SetBounds(RECT{0, 0, 200, 100});
  const uint32_t framed = WS_BORDER | WS_CAPTION | WS_SYSMENU;
  EXPECT_EQ(form->Style & framed, framed);
  form->Style &= ~framed;
  form->SetBounds(RECT{0, 0, 240, 100});
  EXPECT_EQ(form->Style & framed, 0u);
  Free(form);
}

TEST_F(TControlDestroyTest, DestroyLeavesTheTreeAndTheFormFocus) {
  TControl* form = NewTestControl(nullptr);
  TControl* panel = NewTestControl(form);
  TControl* child = NewTestControl(panel);
  TControl* other = NewTestControl(panel);
  ASSERT_TRUE(form->CreateHandle());
  HWND wnd = child->Handle;
  form->FocusedControl = child;  // the form is not the parent: found through GetForm

  TApiRecorder rec;
  RECORD(rec, SetPropW);
  RECORD(rec, RemovePropW);
  RECORD(rec, DestroyWindow);
  Free(child);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(form->FocusedControl, nullptr);
  ASSERT_EQ(panel->ChildCount(), 1);
  EXPECT_EQ(panel->GetChild(0), other);
  // Unbound before the window goes, so its last messages find no control;
  // the property is removed, not left behind holding null.
  auto names = rec.Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "RemovePropW");
  EXPECT_EQ(rec.Calls[0].Arg(0), reinterpret_cast<uint64_t>(wnd));
  EXPECT_EQ(names[1], "DestroyWindow");
  Free(form);
}

// Runs a second Destroy of the control while its window is being destroyed.
TControl* DestroyAgain = nullptr;
int DestroyWindowCalls = 0;
BOOL WINAPI DestroyReentering(HWND wnd) {
  ++DestroyWindowCalls;
  if (DestroyAgain != nullptr) {
    TControl* control = DestroyAgain;
    DestroyAgain = nullptr;
    control->Destroy(false);
  }
  return DefaultApi.DestroyWindow(wnd);
}

TEST_F(TControlDestroyTest, SecondDestroyDoesNotDestroyTheWindowAgain) {
  TControl* form = NewTestControl(nullptr);
  ASSERT_TRUE(form->CreateHandle());
  const HWND wnd = form->Handle;
  TScopedPatch destroy(Api.DestroyWindow, &DestroyReentering);
  DestroyWindowCalls = 0;
  DestroyAgain = form;
  AddRef(form);
  form->Destroy(false);
  EXPECT_EQ(DestroyWindowCalls, 1);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(form->Handle, nullptr);
  Free(form);  // balances the AddRef
  Free(form);  // a third Destroy, which only frees the storage
  EXPECT_EQ(DestroyWindowCalls, 1);
}

}  // namespace
