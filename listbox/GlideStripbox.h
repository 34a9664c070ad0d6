// TGlideStripbox: the kinetic touch list. Rows follow the stylus one-to-one
// while it is dragged; after a flick the list glides on, slowing down, until
// it stops or reaches an end; a short tap selects a row and a quick second
// tap (or a double-click) activates it through OnItemClick. Without a
// stylus: while the panel has the focus the arrow, page, Home and End keys
// move the selection and Enter activates it; the wheel over the list
// scrolls it smoothly, whichever control has the focus.
//
// The list box is a plain class that draws on a child panel it makes on its
// parent, through a back buffer, and glides on a 10 ms timer. The parent owns
// the panel; the list box may be destroyed before or after the parent.
//
//   TGlideStripbox* list = TGlideStripbox::Create(form, 0, 0, 0, 0, alClient);
//   list->GetItems()->Add(L"Deneme: 0");
//   list->OnItemClick = {ItemClick, holder};
//   list->OnKeyDown = {ListKeyDown, holder};   // sees each key before the list does
#pragma once

#include <windows.h>

#include <cstdint>

#include "controls/Control.h"
#include "graphics/GraphicTool.h"

// The list's colours as created: the lines between rows, the selected row's
// fill and its text.
const TColorValue DefaultLineColor = 0x00C0C0C0;
const TColorValue DefaultSelectedColor = 0x00F0CAA6;
const TColorValue DefaultSelectedTextColor = 0x00FFFFFF;

struct TBitmap;
struct TCanvas;
struct TTimer;
struct TWStrList;
class TGlideStripbox;

typedef void (*TItemClickProc)(void* data, TGlideStripbox* sender, int index);
typedef TEventPair<TItemClickProc> TItemClickEvent;

class TGlideStripbox {
 public:
  TItemClickEvent OnItemClick;
  TKeyEvent OnKeyDown;             // runs before the list's own keys; the sender is the panel
  TColorValue SelectedTextColor = 0;  // the selected row's text; set at creation
  bool Tracking = false;           // a stroke is under way: from stylus-down until it ends
  TControl* Panel = nullptr;       // owned by the parent control; null once the panel is destroyed
  POINT Selected = {0, 0};         // X column (0), Y row; -1 for none; taps, keys and Reset
  POINT Speed = {0, 0};            // pixels per tick; set by drags, decayed by TimerTick
  POINT DownPoint = {0, 0};        // where the stroke began, panel coordinates; -1 after it
  POINT LastPoint = {0, 0};        // where the stylus was last seen during the stroke
  int32_t TickCount = 0;           // gliding ticks since construction; wraps
  POINT Offset = {0, 0};           // scroll position in pixels, clamped; only Y is drawn
  TTimer* Timer = nullptr;         // owned
  TWStrList* Items = nullptr;      // owned
  int32_t ItemHeight = 0;          // row height in pixels, fixed at creation
  int32_t MaxSpeed = 0;            // the glide's speed limit, pixels per tick; fixed at creation
  int32_t ItemWidth = 0;           // row width: the panel's, taken on each resize
  TColorValue LineColor = 0;       // the lines between rows; SetLineColor
  TColorValue SelectedColor = 0;   // the selected row's fill; set at creation
  uint32_t LastTapTick = 0;        // 0: no tap pending
  TBitmap* BackBuffer = nullptr;   // owned, may be null
  bool Activating = false;         // OnItemClick is running
  // The handler calls in progress that may free the list box, innermost
  // first; the destructor tells each of them, so none touches it afterwards.
  struct TFreeWatch {
    bool Freed;
    TFreeWatch* Outer;
  };
  TFreeWatch* FreeWatches = nullptr;  // innermost watch; each call links its own in and out
  // The wheel's move: Offset.y eases from WheelFrom to WheelTo, starting at WheelStart.
  bool WheelMoving = false;        // a wheel's move is easing; ended by StopMoving or its last step
  int32_t WheelFrom = 0;           // Offset.y where the move started
  int32_t WheelTo = 0;             // Offset.y where it ends
  uint32_t WheelStart = 0;         // tick count
  int32_t WheelDelta = 0;          // wheel units short of a whole notch

  // Builds the list box; a failure destroys the partial object and propagates.
  static TGlideStripbox* Create(TControl* parent, int left, int top, int width, int height,
                                TAlign align);
  virtual ~TGlideStripbox();
  void Destroy() { delete this; }

  TControl* GetPanel() const { return Panel; }
  TWStrList* GetItems() const { return Items; }
  void SetLineColor(TColorValue value);

  int MaxOffsetX() const;
  int MaxOffsetY() const;

  void RebuildBackBuffer();
  void Reset();
  // Gives the panel the keyboard focus, as a stylus-down does.
  void Focus();

  // touch and gliding
  POINT HitTest(int x, int y) const;
  void ClampSpeed();
  void ClampOffset();

  // keys and the wheel
  int PageRows() const;
  void ScrollIntoView(int row);
  int64_t WheelStepDistance() const;

  // rendering
  RECT ItemRect(int row) const;
  void DrawBackground();
  void DrawItemLines(const RECT& rect);
  void DrawItemText(const RECT& rect, const WideString& text, int index);

  // handlers attached to the panel and the timer; data is the list box
  static void FontChanged(void* self, TGraphicTool* sender);
  static void PanelResize(void* self, TControl* sender);
  static void PanelMouseDown(void* self, TControl* sender, TMouseEventInfo& info);
  static void PanelMouseMove(void* self, TControl* sender, TMouseEventInfo& info);
  static void PanelMouseUp(void* self, TControl* sender, TMouseEventInfo& info);
  static void PanelDblClick(void* self, TControl* sender, TMouseEventInfo& info);
  static void PanelPaint(void* self, TControl* sender, HDC dc);
  static void PanelKeyDown(void* self, TControl* sender, TKeyEventInfo& info);
  static void PanelMouseWheel(void* self, TControl* sender, TMouseEventInfo& info);
  static void TimerTick(void* self, TTimer* sender);

 protected:
  TGlideStripbox() = default;

 private:
  // The panel's destroy notification: forget the panel and stop gliding.
  static void PanelDestroyed(void* self, TBaseObject* sender);
  // Takes every handler of ours off the panel, so that a panel that
  // outlives us (someone holds a reference) never calls into freed memory.
  void DetachFromPanel();
  // Both return false when the handler freed the list box.
  bool FireItemClick();
  bool FireKeyDown(TControl* sender, TKeyEventInfo& info);
  // Ends the stroke as a stylus-up there would: a drag glides on, a tap
  // selects the row (unless the stroke was cancelled) and stops.
  void EndStroke(int x, int y, bool select);
  // A stroke whose stylus the platform no longer reports down lost its
  // stylus-up: it ends where the stylus was last seen.
  void EndStrokeWithoutStylus();
  static bool PanelCaptureHook(TControl* panel, TMessageRecord& message, LRESULT& result);
  // Stops the timer when both speeds are 0.
  void StopWhenIdle();
  // Ends a glide and a wheel's move where they are.
  void StopMoving();
  // The row a move key selects, from the current one (-1: none selected).
  int KeyTarget(WORD key, int current) const;
  void StartWheelMove(int64_t distance);
  void WheelStep();
  // What a resize does to the buffer and the row width, when the sizes differ.
  void CatchUpWithPanelSize();
  TCanvas* BufferCanvas() const;
  // The drawing steps on a canvas the caller fetched: a paint fetches the
  // back buffer's canvas once, since every GetCanvas selects the bitmap out
  // and back in.
  void DrawBackground(TCanvas* canvas);
  void DrawItemLines(TCanvas* canvas, const RECT& rect);
  void DrawItemText(TCanvas* canvas, const RECT& rect, const WideString& text, int index);
  int Extent(int size, int visible) const;

  // Extents and positions are worked out in 64 bits and narrowed here, so a
  // very long list saturates at the end of the 32-bit range instead of wrapping.
  static int32_t Saturate(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
  }
  static int32_t AddSaturated(int32_t a, int32_t b) {
    return Saturate(static_cast<int64_t>(a) + b);
  }
};
