// Message dispatch: the one window procedure of every framework window, the
// hook chain each control runs before the built-in handling, and the hooks
// that turn stylus, wheel and size messages into event handler calls. Keys
// reach OnKeyDown within the framework's key rules.
//
//   SetOnMouseDown(panel, {PanelMouseDown, listBox});   // attaches MouseHook once
//   AttachHook(form, MyHook);                          // runs before older hooks
#pragma once

#include "controls/Control.h"

// Framework message numbers: a WM_COMMAND reflected to the child that sent it,
// and the base added to a WM_CTLCOLOR* message reflected to its child.
const UINT CommandNotify = 0xB005;
const UINT ReflectBase = 0xBC00;

LRESULT CALLBACK GlobalWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Default processing: the subclassed class's procedure on Handle, else DefWindowProcW on Wnd.
LRESULT CallDefault(TControl* control, TMessageRecord& message);

void AttachHook(TControl* control, TMessageHook hook, bool keep = false);
bool RunHooks(TControl* control, TMessageRecord& message, LRESULT& result);

bool MouseHook(TControl* control, TMessageRecord& message, LRESULT& result);
bool ResizeHook(TControl* control, TMessageRecord& message, LRESULT& result);

void SetOnMouseDown(TControl* control, TMouseEvent handler);
void SetOnMouseMove(TControl* control, TMouseEvent handler);
void SetOnMouseUp(TControl* control, TMouseEvent handler);
void SetOnDblClick(TControl* control, TMouseEvent handler);
// The wheel reaches the handler whichever control of the form has the focus,
// while the pointer is over this control.
void SetOnMouseWheel(TControl* control, TMouseEvent handler);
void SetOnResize(TControl* control, TNotifyEvent handler);

// Posts WM_CLOSE; the close happens when the loop delivers it.
void Close(TControl* control);
// Gives the window the focus when the control may take it.
bool TakeFocus(TControl* control);
