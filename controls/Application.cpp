#include "controls/Application.h"

#include "controls/Dispatch.h"
#include "controls/FormScreen.h"
#include "controls/Painting.h"
#include "platform/Platform.h"

TControl* NewForm(TControl* parent, const WideString& caption) {
  TControl* form = NewControl(parent, L"Form");
  form->Style &= ~static_cast<uint32_t>(WS_BORDER);
  if (parent != nullptr) form->Style |= WS_POPUP;
  // The first form's CreateHandle registers the "Form" class with this style.
  form->ClassStyle |= CS_DBLCLKS;
  // Newest hooks run first: the erase hook sees messages before the focus hook.
  AttachHook(form, FormScreenHook);
  AttachHook(form, FormFocusHook);
  AttachHook(form, EraseBackgroundHook);
  form->SetText(caption);
  form->FullScreen = true;
  return form;
}

bool FormFocusHook(TControl* form, TMessageRecord& message, LRESULT&) {
  // Only the form's own focus: the main form also sees unbound windows' messages.
  if (message.Msg != WM_SETFOCUS || message.Wnd != form->Handle) return false;
  bool consumed = false;
  TControl* focused = form->FocusedControl;
  if (focused != nullptr) {
    if (focused->CreateHandle()) Api.SetFocus(focused->Handle);
    consumed = true;
  }
  // A secondary form that gets the focus is what the main form passes it back to.
  if (MainForm != nullptr && MainForm != form) MainForm->FocusedControl = form;
  return consumed;
}

namespace {

// A control that can take the focus now: its window lives and is enabled.
bool LiveTabStop(TControl* control) {
  return control->Handle != nullptr && !control->WindowDestroyed && control->RefCount >= 0 &&
         (control->TabStop || (control->Style & WS_TABSTOP) != 0) && control->IsEnabled();
}

// The first live tab stop of the tree below parent, other than skip.
TControl* FindTabStop(TControl* parent, TControl* skip) {
  for (int i = 0; i < parent->ChildCount(); ++i) {
    TControl* child = parent->GetChild(i);
    if (child == skip) continue;
    if (LiveTabStop(child)) return child;
    if (TControl* inner = FindTabStop(child, skip)) return inner;
  }
  return nullptr;
}

}  // namespace

void FocusLeavesGoingControl(TControl* control) {
  TControl* form = control->GetForm();
  if (form == nullptr || form == control) return;
  const bool focused = control->Handle != nullptr && Api.GetFocus() == control->Handle;
  if (form->FocusedControl != control && !focused) return;
  TControl* next = FindTabStop(form, control);
  form->FocusedControl = next;
  if (!focused) return;
  // Passed on now, while the window still exists: once it has gone the
  // platform leaves the focus with no window, and every key would be lost.
  if (next != nullptr)
    TakeFocus(next);
  else if (form->Handle != nullptr)
    Api.SetFocus(form->Handle);
}

void Run(TControl*& form) {
  MainForm = form;
  // Creates the whole window tree and shows a form that was created hidden on demand.
  if (form != nullptr) form->CreateHandle();
  // A main form without a window can never be closed, so nothing would ever
  // post the WM_QUIT the loop waits for: it is not entered at all.
  const bool closable = form == nullptr || form->Handle != nullptr;
  while (!Terminated && closable) WaitAndProcess(form);
  // A form the program freed itself took MainForm with it: only the
  // variable is left to clear.
  if (MainForm == nullptr) form = nullptr;
  if (form != nullptr) Shutdown(form);
}

void WaitAndProcess(TControl* form) {
  // Zeroed, so that a failed wait is handled as a harmless WM_NULL for no window.
  MSG message = {};
  // WM_QUIT is recognised by its number, so the return value is not needed.
  // What the wait delivers itself was sent by another thread.
  PlatformDelivering = true;
  Api.GetMessageW(&message, nullptr, 0, 0);
  PlatformDelivering = false;
  ProcessMessage(form, &message);
  while (ProcessMessage(form, nullptr)) {
  }
}

bool ProcessMessage(TControl*, const MSG* given) {
  MSG message;
  if (given != nullptr) {
    message = *given;
  } else {
    PlatformDelivering = true;
    const bool got = Api.PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0;
    PlatformDelivering = false;
    if (!got) return false;
  }
  // WM_NULL ends a draining pass as if the queue were empty.
  bool result = message.message != WM_NULL;
  if (message.message == WM_QUIT) {
    // Not dispatched; the pass still drains what was queued behind it.
    Terminated = true;
    return result;
  }
  Api.TranslateMessage(&message);
  // A message from the queue: posted by anybody, a destruction message too.
  PlatformDelivering = true;
  Api.DispatchMessageW(&message);
  PlatformDelivering = false;
  return result;
}

void Shutdown(TControl*& form) {
  Terminated = true;
  TControl* main = MainForm;
  MainForm = nullptr;
  if (main == nullptr) return;
  // The caller's variable is cleared before the form goes, so nothing that
  // runs during the destruction can reach the form through it.
  AddRef(main);
  form = nullptr;
  Free(main);  // balances the AddRef
  Free(main);  // releases the form: its children, what it owns, then its window
}

int ShowMessageBox(const wchar_t* text, UINT flags) {
  HWND owner = nullptr;
  const wchar_t* caption = nullptr;  // the platform's default caption
  if (MainForm != nullptr) {
    owner = MainForm->Handle;  // not created for the box: 0 while the form has no window
    caption = MainForm->Text.c_str();
  }
  // The box's own loop dispatches the thread's messages while it is open.
  const bool outer = PlatformDelivering;
  PlatformDelivering = true;
  int result = Api.MessageBoxW(owner, text != nullptr ? text : L"", caption, flags);
  PlatformDelivering = outer;
  return result;
}

int ShowMessage(const wchar_t* text) { return ShowMessageBox(text, MB_OK | MB_SETFOREGROUND); }
