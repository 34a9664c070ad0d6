#include <cstdint>

#include "core/PlatformInfo.h"
#include "core/Timer.h"
#include "listbox/GlideStripbox.h"
#include "platform/Platform.h"

namespace {

const int64_t DoubleTapMin = 100;  // ms, inclusive
const int64_t DoubleTapMax = 300;  // ms, inclusive

// Signed, so that a tick counter that wrapped since the first tap gives a
// negative time and the second tap counts as a new one.
int64_t Elapsed(DWORD now, uint32_t since) {
  return static_cast<int64_t>(now) - static_cast<int64_t>(since);
}

int StepTowardZero(int value) { return value > 0 ? value - 1 : value < 0 ? value + 1 : 0; }

}  // namespace

// The row is not limited to the item count: it may be -1 or lie past the end.
POINT TGlideStripbox::HitTest(int, int y) const {
  int64_t row = (static_cast<int64_t>(y) + Offset.y) / ItemHeight;  // truncates toward zero
  return POINT{0, Saturate(row)};
}

void TGlideStripbox::ClampSpeed() {
  Speed.x = Max(Min(Speed.x, MaxSpeed), -MaxSpeed);
  Speed.y = Max(Min(Speed.y, MaxSpeed), -MaxSpeed);
}

// Reaching an end of an axis stops the motion on that axis.
void TGlideStripbox::ClampOffset() {
  int maxX = MaxOffsetX();
  if (Offset.x < 0) {
    Offset.x = 0;
    Speed.x = 0;
  } else if (Offset.x > maxX) {
    Offset.x = maxX;
    Speed.x = 0;
  }
  int maxY = MaxOffsetY();
  if (Offset.y < 0) {
    Offset.y = 0;
    Speed.y = 0;
  } else if (Offset.y > maxY) {
    Offset.y = maxY;
    Speed.y = 0;
  }
}

bool TGlideStripbox::FireItemClick() {
  // The handler may run a modal box whose loop delivers more taps and double
  // clicks: those are ignored until it returns, so boxes never nest.
  if (!OnItemClick.Assigned() || Activating) return true;
  Activating = true;
  TFreeWatch watch = {false, FreeWatches};
  FreeWatches = &watch;
  OnItemClick.Code(OnItemClick.Data, this, Selected.y);
  if (watch.Freed) return false;  // the handler freed the list box: nothing of it is left
  FreeWatches = watch.Outer;
  Activating = false;
  return true;
}

bool TGlideStripbox::FireKeyDown(TControl* sender, TKeyEventInfo& info) {
  if (!OnKeyDown.Assigned()) return true;
  TFreeWatch watch = {false, FreeWatches};
  FreeWatches = &watch;
  OnKeyDown.Code(OnKeyDown.Data, sender, info);
  if (watch.Freed) return false;
  FreeWatches = watch.Outer;
  return true;
}

void TGlideStripbox::StopWhenIdle() {
  if (Speed.x == 0 && Speed.y == 0) Timer->SetEnabled(false);
}

void TGlideStripbox::PanelMouseDown(void* data, TControl*, TMouseEventInfo& info) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  self->WheelMoving = false;  // the stylus takes the list from the wheel
  if (self->LastTapTick != 0) {
    // The clock is read twice: the upper bound against the first reading,
    // the lower bound against the second.
    if (Elapsed(Api.GetTickCount(), self->LastTapTick) <= DoubleTapMax &&
        Elapsed(Api.GetTickCount(), self->LastTapTick) >= DoubleTapMin) {
      // A double tap: no capture, no tracking, no new position.
      self->LastTapTick = 0;
      self->FireItemClick();  // may free the list box: nothing follows
      return;
    }
  }
  self->LastTapTick = Api.GetTickCount();
  HWND window = self->Panel->Handle;
  Api.SetFocus(window);
  Api.SetCapture(window);
  self->DownPoint = {info.X, info.Y};
  self->LastPoint = self->DownPoint;
  self->Tracking = true;
}

void TGlideStripbox::PanelMouseMove(void* data, TControl*, TMouseEventInfo& info) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  if (!self->Tracking) return;
  // A pointer that moves with no button down is hovering: its stroke's
  // stylus-up went elsewhere, and it scrolls nothing.
  if ((info.Shift & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) return;
  int dx = self->LastPoint.x - info.X;
  int dy = self->LastPoint.y - info.Y;
  self->Speed = {dx / 2, dy / 2};  // half the step, truncated toward zero
  self->ClampSpeed();
  // The content follows the full step; saturating keeps a huge list from wrapping.
  self->Offset.x = AddSaturated(self->Offset.x, dx);
  self->Offset.y = AddSaturated(self->Offset.y, dy);
  self->ClampOffset();
  self->LastPoint = {info.X, info.Y};
  self->Panel->Invalidate();
}

// Runs on every button-up, tracked or not; only a tracked one moves the list.
void TGlideStripbox::PanelMouseUp(void* data, TControl*, TMouseEventInfo& info) {
  static_cast<TGlideStripbox*>(data)->EndStroke(info.X, info.Y, true);
}

void TGlideStripbox::EndStroke(int x, int y, bool select) {
  // Without a tracked stylus-down (after a double tap, or a stray up) the
  // glide or the wheel's move that runs now is none of this up's business.
  const bool tracked = Tracking;
  int64_t stroke = static_cast<int64_t>(y) - DownPoint.y;
  if (stroke < 0) stroke = -stroke;
  if (stroke < ItemHeight) {
    // A tap: only the vertical stroke counts.
    if (select) {
      POINT cell = HitTest(x, y);
      // The captured stylus may be lifted far above the list; no row lies
      // there, and -1 is the only row that means none.
      if (cell.y < -1) cell.y = -1;
      if (Selected.y != cell.y) Selected = cell;
    }
    if (tracked) Speed = {0, 0};
  } else if (tracked) {
    // A drag: glide on with the speed the last move left.
    Timer->SetEnabled(true);
  }
  // A tap, a slow drag or one into an end leaves nothing to glide: no ticks.
  if (tracked) StopWhenIdle();
  DownPoint.y = -1;
  // Before the capture goes: its loss comes back here as WM_CAPTURECHANGED.
  Tracking = false;
  Api.ReleaseCapture();
  if (Panel != nullptr) Panel->Invalidate();
}

void TGlideStripbox::EndStrokeWithoutStylus() {
  if (!Tracking) return;
  if (Api.GetKeyState(VK_LBUTTON) < 0 || Api.GetKeyState(VK_RBUTTON) < 0 ||
      Api.GetKeyState(VK_MBUTTON) < 0)
    return;
  EndStroke(LastPoint.x, LastPoint.y, false);
}

// The capture can go mid-stroke (ReleaseCapture, WM_CANCELMODE, another
// window's SetCapture, a message box opening): the stylus-up will then reach
// some other window, so the stroke ends here, as an up would end it. A
// message that only says so, while the panel still holds the stylus, is not
// believed.
bool TGlideStripbox::PanelCaptureHook(TControl* panel, TMessageRecord& message, LRESULT&) {
  if (message.Msg != WM_CAPTURECHANGED && message.Msg != WM_CANCELMODE) return false;
  // The list box is the receiver of the panel's stylus-up; none once it has detached.
  if (panel->OnMouseUp.Code != PanelMouseUp) return false;
  TGlideStripbox* self = static_cast<TGlideStripbox*>(panel->OnMouseUp.Data);
  if (self->Tracking && Api.GetCapture() != panel->Handle)
    self->EndStroke(self->LastPoint.x, self->LastPoint.y, false);
  return false;  // default processing still releases what it must
}

void TGlideStripbox::PanelDblClick(void* data, TControl*, TMouseEventInfo&) {
  static_cast<TGlideStripbox*>(data)->FireItemClick();
}

void TGlideStripbox::TimerTick(void* data, TTimer*) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  if (self->Panel == nullptr) return;
  // A wheel's move runs alone: its notch stopped any glide, and the stylus or a key ends it.
  if (self->WheelMoving) {
    self->WheelStep();
    return;
  }
  // While the stylus holds the panel only a horizontal speed keeps it moving.
  if (self->Speed.x == 0) {
    const bool held = Api.GetCapture() == self->Panel->Handle;
    if (held || self->Speed.y == 0) {
      // Nothing to move: no more ticks (an idle handheld must not wake 100
      // times a second). A stylus resting on the list needs none either: its
      // stylus-up starts a glide itself.
      if (self->Speed.y == 0) self->Timer->SetEnabled(false);
      return;
    }
  }
  self->LastTapTick = 0;  // a gliding step cancels a pending double tap
  self->Offset.x = AddSaturated(self->Offset.x, self->Speed.x);
  self->Offset.y = AddSaturated(self->Offset.y, self->Speed.y);
  self->ClampOffset();
  // Counted in unsigned arithmetic: the count is never reset and wraps.
  self->TickCount = static_cast<int32_t>(static_cast<uint32_t>(self->TickCount) + 1u);
  if (self->TickCount % 10 == 0) {
    self->Speed.y = StepTowardZero(self->Speed.y);
    self->Speed.x = StepTowardZero(self->Speed.x);
  }
  if (self->Speed.x == 0 && self->Speed.y == 0) self->Timer->SetEnabled(false);
  self->Panel->Invalidate();
}
