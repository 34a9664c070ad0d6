#include <cstdint>

#include "core/PlatformInfo.h"
#include "core/Timer.h"
#include "listbox/GlideStripbox.h"
#include "platform/Platform.h"

namespace {

const uint32_t WheelTime = 150;  // ms a move takes, from its latest notch
const UINT DefaultWheelRows = 3;  // where the platform keeps no wheel setting

}  // namespace

// One notch's distance: the platform's wheel setting in rows, or a panel height.
int64_t TGlideStripbox::WheelStepDistance() const {
  UINT rows = 0;
  if (!Api.SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &rows, 0)) rows = DefaultWheelRows;
  // A page is what Page Down moves: the rows that fit wholly in the panel.
  if (rows == WHEEL_PAGESCROLL) return static_cast<int64_t>(PageRows()) * ItemHeight;
  return static_cast<int64_t>(rows) * ItemHeight;
}

void TGlideStripbox::PanelMouseWheel(void* data, TControl*, TMouseEventInfo& info) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  if (self->Panel == nullptr) return;
  // The wheel's point is on the screen: only a wheel over the list scrolls it.
  RECT rect;
  if (!Api.GetWindowRect(self->Panel->Handle, &rect) || !InRect(rect, info.X, info.Y)) return;
  info.Handled = true;
  self->EndStrokeWithoutStylus();
  if (self->Tracking) return;  // the stylus holds the list
  const int delta = static_cast<int16_t>(HIWORD(info.Shift));
  // A turn the other way starts counting afresh.
  if ((delta < 0) != (self->WheelDelta < 0)) self->WheelDelta = 0;
  self->WheelDelta += delta;
  const int notches = self->WheelDelta / WHEEL_DELTA;
  self->WheelDelta -= notches * WHEEL_DELTA;
  // Turning the wheel towards the user (a negative delta) shows later rows.
  if (notches != 0) self->StartWheelMove(-notches * self->WheelStepDistance());
}

void TGlideStripbox::StartWheelMove(int64_t distance) {
  // Notches in quick succession add up: a running move's end is where the next one starts.
  const int64_t from = WheelMoving ? WheelTo : Offset.y;
  int64_t to = from + distance;
  const int64_t last = MaxOffsetY();
  if (to > last) to = last;
  if (to < 0) to = 0;
  // A notch that moves nothing (wheel scrolling set off, an end reached)
  // changes nothing: a glide goes on.
  if (to == from) return;
  Speed = {0, 0};  // a glide would carry the list past the distance
  LastTapTick = 0;
  WheelFrom = Offset.y;
  WheelTo = static_cast<int32_t>(to);
  WheelStart = Api.GetTickCount();
  WheelMoving = WheelTo != WheelFrom;
  Timer->SetEnabled(WheelMoving);
}

void TGlideStripbox::WheelStep() {
  // Unsigned: right across the tick counter's wrap.
  const uint32_t elapsed = Api.GetTickCount() - WheelStart;
  if (elapsed >= WheelTime) {
    Offset.y = WheelTo;
    WheelMoving = false;
  } else {
    // Eases out: quick at first, slowing into place.
    const int64_t left = WheelTime - elapsed;
    const int64_t span = static_cast<int64_t>(WheelTo) - WheelFrom;
    Offset.y = Saturate(WheelTo - span * left * left / (WheelTime * WheelTime));
  }
  ClampOffset();  // the list may have shrunk meanwhile
  if (!WheelMoving) StopWhenIdle();
  Panel->Invalidate();
}
