#include <cstdint>

#include "core/PlatformInfo.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "listbox/GlideStripbox.h"
#include "platform/Platform.h"

namespace {

bool IsMoveKey(WORD key) {
  return key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT || key == VK_HOME ||
         key == VK_END;
}

}  // namespace

void TGlideStripbox::Focus() {
  if (Panel != nullptr && Panel->GetHandle() != nullptr) Api.SetFocus(Panel->Handle);
}

// Rows that fit wholly in the panel; at least one, so that a page always moves.
int TGlideStripbox::PageRows() const {
  int height = Panel != nullptr ? Panel->GetHeight() : 0;
  return ItemHeight > 0 ? Max(height / ItemHeight, 1) : 1;
}

int TGlideStripbox::KeyTarget(WORD key, int current) const {
  const int last = Items->Count() - 1;
  const int64_t height = Panel->GetHeight();
  // Without a selection the walk starts at the rows wholly in view: the first
  // going down, the last going up.
  int64_t top = (static_cast<int64_t>(Offset.y) + ItemHeight - 1) / ItemHeight;
  int64_t bottom = (Offset.y + height) / ItemHeight - 1;
  int64_t row = current;
  switch (key) {
    case VK_DOWN: row = current < 0 ? top : static_cast<int64_t>(current) + 1; break;
    case VK_UP: row = current < 0 ? bottom : static_cast<int64_t>(current) - 1; break;
    case VK_NEXT: row = current < 0 ? top : static_cast<int64_t>(current) + PageRows(); break;
    case VK_PRIOR: row = current < 0 ? bottom : static_cast<int64_t>(current) - PageRows(); break;
    case VK_HOME: row = 0; break;
    case VK_END: row = last; break;
    default: break;
  }
  if (row > last) row = last;
  if (row < 0) row = 0;
  return static_cast<int>(row);
}

// The least scrolling that shows the whole row; a row taller than the panel shows its top.
void TGlideStripbox::ScrollIntoView(int row) {
  const int64_t top = static_cast<int64_t>(row) * ItemHeight;
  const int64_t height = Panel->GetHeight();
  int64_t offset = Offset.y;
  if (top + ItemHeight > offset + height) offset = top + ItemHeight - height;
  if (top < offset) offset = top;
  Offset.y = Saturate(offset);
  ClampOffset();
}

void TGlideStripbox::StopMoving() {
  Speed = {0, 0};
  WheelMoving = false;
  Timer->SetEnabled(false);
}

void TGlideStripbox::PanelKeyDown(void* data, TControl* sender, TKeyEventInfo& info) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  self->EndStrokeWithoutStylus();
  // While the stylus holds the list, it alone moves it.
  if (self->Tracking || self->Panel == nullptr) {
    info.Handled = true;
    return;
  }
  // The handler may free the list box (and close its panel): nothing follows then.
  if (!self->FireKeyDown(sender, info) || info.Handled) return;
  const int count = self->Items->Count();
  // A selection past the last row (a tap below a short list) is no row to act on.
  const int current = self->Selected.y >= 0 && self->Selected.y < count ? self->Selected.y : -1;
  if (info.Key == VK_RETURN) {
    info.Handled = true;
    // A held action key repeats: it shows the row once, not box after box.
    if (current >= 0 && !info.Repeat) self->FireItemClick();  // may free the list box
    return;
  }
  if (!IsMoveKey(info.Key)) return;
  info.Handled = true;
  if (count == 0) return;
  const int row = self->KeyTarget(info.Key, current);
  if (row == current) return;
  self->StopMoving();
  self->LastTapTick = 0;  // a second tap is about the row the first one chose
  self->Selected = {0, row};
  self->ScrollIntoView(row);
  self->Panel->Invalidate();
}
