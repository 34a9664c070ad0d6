#include "controls/Align.h"

#include "core/PtrList.h"
#include "platform/Platform.h"

namespace {

// Moves and sizes one aligned child inside the remaining area, which shrinks
// by what an edge child takes.
void PositionChild(TControl* child, RECT& remaining, int margin) {
  RECT old = child->GetBounds();
  int width = old.right - old.left;
  int height = old.bottom - old.top;
  RECT rect = old;
  switch (child->Align) {
    case alTop:
      Api.OffsetRect(&rect, 0, remaining.top + margin - rect.top);
      remaining.top += height + margin;
      rect.left = remaining.left + margin;
      rect.right = remaining.right - margin;
      break;
    case alBottom:
      Api.OffsetRect(&rect, 0, remaining.bottom - margin - rect.bottom);
      remaining.bottom -= height + margin;
      rect.left = remaining.left + margin;
      rect.right = remaining.right - margin;
      break;
    case alLeft:
      Api.OffsetRect(&rect, remaining.left + margin - rect.left, 0);
      remaining.left += width + margin;
      rect.top = remaining.top + margin;
      rect.bottom = remaining.bottom - margin;
      break;
    case alRight:
      Api.OffsetRect(&rect, remaining.right - margin - rect.right, 0);
      remaining.right -= width + margin;
      rect.top = remaining.top + margin;
      rect.bottom = remaining.bottom - margin;
      break;
    case alClient:
      rect = remaining;
      Api.InflateRect(&rect, -margin, -margin);
      break;
  }
  // Children that need more room than there is leave the area inverted.
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;

  bool moved = rect.left != old.left || rect.top != old.top;
  bool resized = rect.right - rect.left != width || rect.bottom - rect.top != height;
  if (moved || resized) {
    // The WM_SIZE that SetWindowPos sends back reaches Realign, which must ignore it.
    child->AlignState |= Positioning;
    child->SetBounds(rect);
    child->AlignState &= ~Positioning;
  }
  if (resized) child->AlignState |= RealignPending;
}

}  // namespace

void SetAlign(TControl* control, TAlign value) {
  RealignHook = Realign;
  if (control == nullptr || control->Align == value) return;
  control->Align = value;
  Realign(control);
}

TControl* WithAlign(TControl* control, TAlign value) {
  SetAlign(control, value);
  return control;
}

void Realign(TControl* control) {
  if (control == nullptr) return;
  if (control->AlignState & Positioning) return;  // the change comes from the layout itself
  TControl* target = control;
  if (control->Align != alNone && control->Parent != nullptr && !control->FullScreen) {
    control->AlignState |= RealignPending;
    target = control->Parent;
  }
  if (IsShowing(target)) AlignChildren(target);
}

bool IsShowing(TControl* control) {
  if (control == nullptr) return false;
  // The layout never looks above a form.
  bool shown = (control->Visible || control->ShowPending) &&
               (control->FullScreen || control->Parent == nullptr || IsShowing(control->Parent));
  // Made up for when the control is shown.
  if (!shown) control->AlignState |= RealignPending;
  return shown;
}

void AlignChildren(TControl* parent) {
  if (parent == nullptr || (parent->AlignState & Aligning)) return;
  parent->AlignState &= ~RealignPending;
  if (parent->ChildCount() == 0) return;
  parent->AlignState |= Aligning;

  RECT remaining = parent->GetClientArea();
  int margin = parent->AlignMargin;
  // Edges first, top and bottom spanning the full width, then left and right
  // between them, then what fills the rest.
  static const TAlign passes[3][2] = {{alTop, alBottom}, {alLeft, alRight}, {alNone, alClient}};
  for (const auto& pass : passes) {
    // Count is read on every step: a resize handler may change the children.
    for (int i = 0; i < parent->Children->Count; ++i) {
      TControl* child = static_cast<TControl*>(parent->Children->Items[i]);
      if (!child->Visible && !child->ShowPending) continue;
      if (child->Align != pass[0] && child->Align != pass[1]) continue;
      if (child->AlignState & Aligning) continue;
      if (child->Align != alNone) PositionChild(child, remaining, margin);
      if (child->AlignState & RealignPending) AlignChildren(child);
    }
  }

  parent->AlignState &= ~Aligning;
}
