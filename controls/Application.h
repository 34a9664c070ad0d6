// The application loop and the main form: a full-screen form of class
// "Form", a loop that pumps the thread's queue until WM_QUIT, and the
// message box owned by the main form.
//
//   TControl* form = NewForm(nullptr, L"GlideStrip Demo");
//   Run(form);              // returns after WM_QUIT; form is freed and null
#pragma once

#include "controls/Control.h"

TControl* NewForm(TControl* parent, const WideString& caption);
bool FormFocusHook(TControl* form, TMessageRecord& message, LRESULT& result);
// For a control whose window the platform is destroying: its form's focus
// passes to the next live tab stop, or to the form itself when there is none.
void FocusLeavesGoingControl(TControl* control);

void Run(TControl*& form);
void WaitAndProcess(TControl* form);
// With message null, takes the next queued message; false when there is none or it is WM_NULL.
bool ProcessMessage(TControl* form, const MSG* message);
void Shutdown(TControl*& form);

int ShowMessageBox(const wchar_t* text, UINT flags);
int ShowMessage(const wchar_t* text);
inline int ShowMessage(const WideString& text) { return ShowMessage(text.c_str()); }
