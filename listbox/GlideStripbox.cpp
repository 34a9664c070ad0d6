#include "listbox/GlideStripbox.h"

#include "controls/Align.h"
#include "controls/ChildControls.h"
#include "controls/Dispatch.h"
#include "controls/Painting.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "graphics/Bitmap.h"
#include "platform/Platform.h"

TGlideStripbox* TGlideStripbox::Create(TControl* parent, int left, int top, int width, int height,
                                       TAlign align) {
  TGlideStripbox* self = new TGlideStripbox();  // every field zero
  try {
    self->Panel = NewPanel(parent);
    // The parent frees the panel with itself; hearing of it keeps us off a freed panel.
    self->Panel->OnDestroy = {PanelDestroyed, self};
    self->LastTapTick = 0;
    self->Panel->AlignMargin = 0;
    self->Tracking = false;
    self->Items = TWStrList::Create();
    self->RebuildBackBuffer();
    self->ItemHeight = 50;
    self->MaxSpeed = 15;
    self->ItemWidth = 240;
    self->Selected = {-1, -1};
    self->Speed = {0, 0};
    self->DownPoint = {-1, -1};
    self->LastPoint = {-1, -1};
    self->Timer = NewTimer(10);
    self->Timer->SetInterval(10);
    self->Timer->SetEnabled(false);
    self->Timer->OnTimer = {TimerTick, self};
    self->LineColor = DefaultLineColor;
    self->SelectedColor = DefaultSelectedColor;
    self->SelectedTextColor = DefaultSelectedTextColor;
    self->TickCount = 0;
    // Width before height before top before left: each setter keeps what the
    // earlier ones set. SetColor creates the panel's window (hidden).
    self->Panel->SetWidth(width);
    self->Panel->SetHeight(height);
    self->Panel->SetTop(top);
    self->Panel->SetColor(0x00FFFFFF);
    self->Panel->SetLeft(left);
    SetOnPaint(self->Panel, {PanelPaint, self});
    SetOnResize(self->Panel, {PanelResize, self});
    SetOnMouseDown(self->Panel, {PanelMouseDown, self});
    SetOnMouseUp(self->Panel, {PanelMouseUp, self});
    SetOnMouseMove(self->Panel, {PanelMouseMove, self});
    SetOnDblClick(self->Panel, {PanelDblClick, self});
    SetOnMouseWheel(self->Panel, {PanelMouseWheel, self});
    AttachHook(self->Panel, PanelCaptureHook);
    self->Panel->OnKeyDown = {PanelKeyDown, self};
    // Replaces the panel's own handler: font changes now reach only the back buffer.
    self->Panel->GetFont()->OnChange = {FontChanged, self};
    // Alignment and activation last: both may resize the panel, and the
    // resize handler needs everything above in place.
    SetAlign(self->Panel, align);
    Activate(self->Panel);
    // A panel whose window was made at its final size never reports a resize
    // to us (its only WM_SIZE came before the handler was attached): the
    // buffer would keep the panel's default 64 x 64.
    self->CatchUpWithPanelSize();
  } catch (...) {
    self->Destroy();
    throw;
  }
  return self;
}

// Steps whose field is still null (a construction that failed early) are skipped.
TGlideStripbox::~TGlideStripbox() {
  for (TFreeWatch* watch = FreeWatches; watch != nullptr; watch = watch->Outer) watch->Freed = true;
  FreeAndNil(Items);
  if (Timer != nullptr) {
    Timer->SetEnabled(false);
    FreeAndNil(Timer);
  }
  FreeAndNil(BackBuffer);
  if (Panel != nullptr) {
    DetachFromPanel();
    FreeAndNil(Panel);
  }
}

void TGlideStripbox::PanelDestroyed(void* data, TBaseObject*) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  self->Panel = nullptr;
  self->Tracking = false;
  self->WheelMoving = false;
  // Nothing is left to glide on.
  if (self->Timer != nullptr) self->Timer->SetEnabled(false);
}

void TGlideStripbox::DetachFromPanel() {
  if (Panel->OnDestroy.Data == this) Panel->OnDestroy.Clear();
  TMouseEvent* mouse[] = {&Panel->OnMouseDown, &Panel->OnMouseUp, &Panel->OnMouseMove,
                          &Panel->OnDblClick, &Panel->OnMouseWheel};
  for (TMouseEvent* event : mouse)
    if (event->Data == this) event->Clear();
  if (Panel->OnKeyDown.Data == this) Panel->OnKeyDown.Clear();
  if (Panel->OnPaint.Data == this) Panel->OnPaint.Clear();
  if (Panel->OnResize.Data == this) Panel->OnResize.Clear();
  // The panel's font goes back to the panel's own handler.
  if (Panel->Font != nullptr && Panel->Font->OnChange.Data == this)
    Panel->Font->OnChange = {FontToolChanged, Panel};
}

void TGlideStripbox::SetLineColor(TColorValue value) {
  if (value == LineColor) return;
  LineColor = value;
  if (Panel != nullptr) Panel->Invalidate();
}

int TGlideStripbox::Extent(int size, int visible) const {
  int64_t count = Items != nullptr ? Items->Count() : 0;
  int64_t extent = count * size - visible;
  return extent > 0 ? Saturate(extent) : 0;
}

// Rows are stacked vertically, yet the horizontal extent counts every item's
// width too: Offset.X is never drawn and only decides how long a glide lasts.
int TGlideStripbox::MaxOffsetX() const {
  return Extent(ItemWidth, Panel != nullptr ? Panel->GetWidth() : 0);
}

int TGlideStripbox::MaxOffsetY() const {
  return Extent(ItemHeight, Panel != nullptr ? Panel->GetHeight() : 0);
}

void TGlideStripbox::RebuildBackBuffer() {
  FreeAndNil(BackBuffer);
  if (Panel == nullptr) return;
  BackBuffer = NewOffscreenBitmap(Panel->GetWidth(), Panel->GetHeight());
  // A zero-sized buffer has no canvas; the next resize brings the font over.
  if (TCanvas* canvas = BackBuffer->GetCanvas()) Assign(canvas->GetFont(), Panel->GetFont());
}

void TGlideStripbox::FontChanged(void* data, TGraphicTool* sender) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  if (TCanvas* canvas = self->BufferCanvas()) Assign(canvas->GetFont(), sender);
}

void TGlideStripbox::PanelResize(void* data, TControl*) {
  TGlideStripbox* self = static_cast<TGlideStripbox*>(data);
  self->RebuildBackBuffer();
  if (self->Panel != nullptr) self->ItemWidth = self->Panel->GetWidth();
  self->Reset();
}

void TGlideStripbox::CatchUpWithPanelSize() {
  int width = Panel->GetWidth();
  int height = Panel->GetHeight();
  if (BackBuffer != nullptr && BackBuffer->Width == width && BackBuffer->Height == height) return;
  RebuildBackBuffer();
  ItemWidth = width;
}

void TGlideStripbox::Reset() {
  if (Timer != nullptr) Timer->SetEnabled(false);
  Selected = {-1, -1};
  Api.ReleaseCapture();
  // The capture is gone, so the stylus-up may never reach the panel: the
  // drag ends here, or later moves without a stylus would scroll.
  Tracking = false;
  Speed = {0, 0};
  Offset = {0, 0};
  LastTapTick = 0;
  WheelMoving = false;
  WheelDelta = 0;
}

TCanvas* TGlideStripbox::BufferCanvas() const {
  return BackBuffer != nullptr ? BackBuffer->GetCanvas() : nullptr;
}
