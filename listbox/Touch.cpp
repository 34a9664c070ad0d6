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

void TGlideStripbox::FireItemClick() {
  // The handler may run a modal box whose loop delivers more taps and double
  // clicks: those are ignored until it returns, so boxes never nest.
  if (!OnItemClick.Assigned() || Activating) return;
  Activating = true;
  OnItemClick.Code(OnItemClick.Data, this, Selected.y);
  Activating = false;
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
      self->FireItemClick();
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

// Runs on every button-up, tracked or not.
void TGlideStripbox::PanelMouseUp(void* data, TControl*, TMouseEventInfo& info) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  int64_t stroke = static_cast<int64_t>(info.Y) - self->DownPoint.y;
  if (stroke < 0) stroke = -stroke;
  if (stroke < self->ItemHeight) {
    // A tap: only the vertical stroke counts.
    POINT cell = self->HitTest(info.X, info.Y);
    // The captured stylus may be lifted far above the list; no row lies
    // there, and -1 is the only row that means none.
    if (cell.y < -1) cell.y = -1;
    if (self->Selected.y != cell.y) self->Selected = cell;
    self->Speed = {0, 0};
  } else {
    // A drag: glide on with the speed the last move left.
    self->Timer->SetEnabled(true);
  }
  // A tap, a slow drag or one into an end leaves nothing to glide: no ticks.
  self->StopWhenIdle();
  self->DownPoint.y = -1;
  self->Tracking = false;
  Api.ReleaseCapture();
  self->Panel->Invalidate();
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
      // Nothing to move and no stylus down whose lifting could start a glide:
      // no more ticks (an idle handheld must not wake 100 times a second).
      if (self->Speed.y == 0 && !(held && self->Tracking)) self->Timer->SetEnabled(false);
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
