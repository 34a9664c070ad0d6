// Buttons, labels and panels on a real form under Wine: clicks, focus
// bookkeeping, double taps and the colour requests the form reflects.
#include <gtest/gtest.h>

#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "controls/Dispatch.h"
#include "controls/Painting.h"
#include "core/PlatformInfo.h"
#include "support/ApiPatch.h"
#include "support/FormFixture.h"
#include "support/PaintTestSurface.h"
#include "support/TestWindows.h"

namespace {

struct TEventLog {
  int Clicks = 0;
  int GotFocus = 0;
  int LostFocus = 0;
  HWND FocusAtClick = nullptr;
  TControl* FocusedAtClick = nullptr;
};

void LogClick(void* data, TControl* sender) {
  TEventLog* log = static_cast<TEventLog*>(data);
  ++log->Clicks;
  log->FocusAtClick = GetFocus();
  log->FocusedAtClick = sender->GetForm()->FocusedControl;
}
void LogGotFocus(void* data, TControl*) { ++static_cast<TEventLog*>(data)->GotFocus; }
void LogLostFocus(void* data, TControl*) { ++static_cast<TEventLog*>(data)->LostFocus; }

void Listen(TControl* control, TEventLog& log) {
  control->OnClick = TNotifyEvent{LogClick, &log};
  control->OnGotFocus = TNotifyEvent{LogGotFocus, &log};
  control->OnLostFocus = TNotifyEvent{LogLostFocus, &log};
}

class ChildControlsTest : public TFormFixture {
 protected:
  LRESULT Notify(TControl* child, WORD code) {
    return SendMessageW(Form->Handle, WM_COMMAND, MAKEWPARAM(child->ControlId, code),
                        reinterpret_cast<LPARAM>(child->Handle));
  }

  // Members, not locals: destroying the form in TearDown still moves the focus and notifies.
  TEventLog Log, OtherLog;
};

TEST_F(ChildControlsTest, ConstructorsSetStylesSizesAndIds) {
  Form->AlignMargin = 5;
  TControl* button = NewButton(Form, L"Kapat");
  TControl* label = NewLabel(Form, L"Text");
  TControl* panel = NewPanel(Form);

  EXPECT_EQ(button->Style, ButtonStyle | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  EXPECT_EQ(label->Style, LabelStyle | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  EXPECT_TRUE(button->TabStop && button->Visible);
  EXPECT_FALSE(label->TabStop);
  EXPECT_EQ(button->Color, SysColorButtonFace);

  // A 64-pixel square at the parent's margin, cut to the control's own height.
  RECT buttonRect = {5, 5, 69, 27}, panelRect = {5, 5, 69, 69};
  EXPECT_TRUE(SameRect(button->Bounds, buttonRect));
  EXPECT_TRUE(SameRect(panel->Bounds, panelRect));
  EXPECT_EQ(label->Bounds.bottom - label->Bounds.top, 22);
  EXPECT_EQ(label->ControlId, button->ControlId + 1);
  EXPECT_EQ(panel->ControlId, button->ControlId + 2);
}

TEST_F(ChildControlsTest, LabelRepaintsOnResizeButNotOnText) {
  TControl* label = NewLabel(Form, L"One");
  Open();
  TApiRecorder rec;
  RECORD(rec, InvalidateRect);
  label->SetText(L"Two");
  EXPECT_EQ(rec.Count("InvalidateRect"), 0u);
  label->SetBounds(RECT{2, 2, 100, 30});
  EXPECT_EQ(rec.Count("InvalidateRect"), 1u);
}

TEST_F(ChildControlsTest, FirstTabStopChildTakesFormFocus) {
  NewLabel(Form, L"No tab stop");
  TControl* first = NewButton(Form, L"First");
  NewButton(Form, L"Second");
  EXPECT_EQ(Form->FocusedControl, first);
  EXPECT_EQ(Form->Handle, nullptr);

  Open();
  SetFocus(nullptr);
  SetFocus(Form->Handle);
  EXPECT_EQ(GetFocus(), first->Handle);
}

TEST_F(ChildControlsTest, ButtonClickFocusesButtonBeforeOnClick) {
  TControl* other = NewButton(Form, L"Other");
  TControl* button = NewButton(Form, L"Press");
  TEventLog& log = Log;
  Listen(button, log);
  Open();

  SetFocus(other->Handle);
  ASSERT_EQ(Form->FocusedControl, other);
  SendMessageW(button->Handle, BM_CLICK, 0, 0);
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(log.FocusAtClick, button->Handle);
  EXPECT_EQ(log.FocusedAtClick, button);

  // A notification alone (no press) must move the focus before the handler runs.
  SetFocus(other->Handle);
  Notify(button, BN_CLICKED);
  EXPECT_EQ(log.Clicks, 2);
  EXPECT_EQ(log.FocusAtClick, button->Handle);
  EXPECT_EQ(log.FocusedAtClick, button);

  // While the framework moves the focus itself, a click notification is not the user's.
  button->FocusDepth = 1;
  Notify(button, BN_CLICKED);
  button->FocusDepth = 0;
  EXPECT_EQ(log.Clicks, 2);
}

TEST_F(ChildControlsTest, DoubleTapOnButtonIsTwoClicks) {
  TControl* button = NewButton(Form, L"Tap");
  TEventLog& log = Log;
  Listen(button, log);
  Open();

  LPARAM inside = MAKELPARAM(5, 5);
  SendMessageW(button->Handle, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(button->Handle, WM_LBUTTONUP, 0, inside);
  SendMessageW(button->Handle, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
  SendMessageW(button->Handle, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(log.Clicks, 2);
}

TEST_F(ChildControlsTest, LabelReportsOnlyClicks) {
  TControl* label = NewLabel(Form, L"Tap me");
  TEventLog& log = Log;
  Listen(label, log);
  Open();

  SendMessageW(label->Handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));  // STN_CLICKED
  EXPECT_EQ(log.Clicks, 1);
  Notify(label, STN_DBLCLK);
  EXPECT_EQ(log.Clicks, 1);
  EXPECT_EQ(log.GotFocus, 0);
  EXPECT_EQ(log.LostFocus, 0);
}

TEST_F(ChildControlsTest, FocusedButtonIsTheDefaultButton) {
  TControl* a = NewButton(Form, L"A");
  TControl* b = NewButton(Form, L"B");
  TEventLog &logA = Log, &logB = OtherLog;
  Listen(a, logA);
  Listen(b, logB);
  Open();
  auto isDefault = [](TControl* c) {
    bool field = (c->Style & BS_DEFPUSHBUTTON) != 0;
    EXPECT_EQ(field, (GetWindowLongW(c->Handle, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0);
    return field;
  };

  SetFocus(a->Handle);
  EXPECT_TRUE(isDefault(a));
  EXPECT_FALSE(isDefault(b));
  SetFocus(b->Handle);
  EXPECT_FALSE(isDefault(a));
  EXPECT_TRUE(isDefault(b));
  EXPECT_EQ(Form->FocusedControl, b);
  EXPECT_EQ(logA.LostFocus, 1);
  EXPECT_EQ(logB.GotFocus, 1);
}

TEST_F(ChildControlsTest, ActivateShowsAndFocusesTheControl) {
  NewButton(Form, L"First");  // the form would pass its focus to this one
  TControl* button = NewButton(Form, L"Go");
  button->Show(false);
  Activate(button);
  ASSERT_NE(button->Handle, nullptr);
  EXPECT_TRUE(GetWindowLongW(button->Handle, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(GetFocus(), button->Handle);
}

TEST_F(ChildControlsTest, ReflectedColourRequestUsesChildColours) {
  TScopedPatch<TControlBrushProc> plain(ControlBrushHook, PlainControlBrush);
  TControl* label = NewLabel(Form, L"");
  TControl* button = NewButton(Form, L"B");
  Open();
  label->SetColor(RGB(10, 20, 30));
  label->FontColor = RGB(200, 100, 50);

  TPaintTestSurface surface;
  LRESULT brush = SendMessageW(Form->Handle, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(surface.DC),
                               reinterpret_cast<LPARAM>(label->Handle));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), PlainControlBrush(label));
  EXPECT_EQ(GetTextColor(surface.DC), RGB(200, 100, 50));
  EXPECT_EQ(GetBkColor(surface.DC), RGB(10, 20, 30));
  EXPECT_EQ(GetBkMode(surface.DC), OPAQUE);

  brush = SendMessageW(Form->Handle, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(surface.DC),
                       reinterpret_cast<LPARAM>(button->Handle));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), PlainControlBrush(button));

  // The system label paints itself with what the request answered.
  SendMessageW(label->Handle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.DC), PRF_CLIENT);
  EXPECT_EQ(surface.Pixel(10, 10), RGB(10, 20, 30));
}

}  // namespace
