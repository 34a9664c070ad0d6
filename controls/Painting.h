// Painting support every control uses: OnPaint with the paint DC, the
// control's canvas, applying a control's font to its window, the two
// background-brush providers and the background filling of forms.
//
//   SetOnPaint(panel, {PanelPaint, listBox});
//   // inside PanelPaint: GetCanvas(sender) draws on the paint DC
#pragma once

#include "controls/Control.h"

struct TCanvas;

void SetOnPaint(TControl* control, TPaintEvent handler);
bool PaintHook(TControl* control, TMessageRecord& message, LRESULT& result);
bool EraseBackgroundHook(TControl* form, TMessageRecord& message, LRESULT& result);

TCanvas* GetCanvas(TControl* control);
// The OnGetDC handler of a control's canvas: the paint DC while painting, else a window DC.
HDC ProvideDC(void* control, TCanvas* canvas);
void ApplyFont(TControl* control);

// Background-brush providers held by ControlBrushHook; the caller does not own the brush.
HBRUSH PlainControlBrush(TControl* control);
HBRUSH ToolControlBrush(TControl* control);
// The control's background brush through ControlBrushHook; not owned by the caller.
HBRUSH BackgroundBrush(TControl* control);
