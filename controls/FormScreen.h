// A full-screen form follows the screen: when the display turns or is
// reset, the work area changes or the input panel moves, it takes the place
// it was created in again (the work area's left, top and right, down to the
// soft-key bar, or to the screen's bottom where there is none), and its
// aligned children follow through the layout. A form whose creator set its
// bounds stays where it was put. The shell sees each top-level form's
// activation and setting changes, as the device's input panel needs.
//
//   AttachHook(form, FormScreenHook);   // NewForm does this for every form
#pragma once

#include "controls/Control.h"

// Passes WM_ACTIVATE and WM_SETTINGCHANGE of the form's own window to the
// shell and lays the form out again after a screen change; consumes nothing.
bool FormScreenHook(TControl* form, TMessageRecord& message, LRESULT& result);

// Moves a following form to its place on the current screen, with one
// SetWindowPos, when that differs from where it is. A failed query leaves it.
void FollowScreen(TControl* form);
