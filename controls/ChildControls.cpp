#include "controls/ChildControls.h"

#include "controls/Dispatch.h"
#include "controls/Painting.h"
#include "platform/Platform.h"

TControl* NewChildControl(TControl* parent, const wchar_t* className, uint32_t style,
                          const TNotifyCodes* codes) {
  TControl* control = NewControl(parent, className);
  if (codes != nullptr) control->Notify = *codes;
  control->IsChild = true;
  control->Style = style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  control->Visible = (style & WS_VISIBLE) != 0;
  control->TabStop = (style & WS_TABSTOP) != 0;
  if (parent != nullptr) {
    // Fields only: no window exists yet, and SetBounds would mark the bounds as set.
    int m = parent->AlignMargin;
    control->Bounds = RECT{m, m, m + 64, m + 64};
  }
  if (control->TabStop) {
    TControl* form = control->GetForm();
    if (form != nullptr && form->FocusedControl == nullptr) form->FocusedControl = control;
  }
  control->ControlId = NextControlId;
  NextControlId = static_cast<uint16_t>(NextControlId + 1);
  AttachHook(control, ChildControlHook);
  return control;
}

TControl* NewButton(TControl* parent, const WideString& caption) {
  TControl* button = NewChildControl(parent, L"BUTTON", ButtonStyle, &ButtonCodes);
  // Stored, not SetColor: that would create the window now.
  button->Color = SysColorButtonFace;
  // A brush tool inherited from the parent takes the colour silently; its
  // listener would otherwise copy it back and repaint a window not yet made.
  if (button->Brush != nullptr) button->Brush->Props.Tool.Color = SysColorButtonFace;
  button->Bounds.bottom = button->Bounds.top + 22;
  button->SetText(caption);
  // Newest first: focus, then double click, then the child hook see a message.
  AttachHook(button, ButtonDblClickHook);
  AttachHook(button, ButtonFocusHook);
  return button;
}

TControl* NewLabel(TControl* parent, const WideString& caption) {
  TControl* label = NewChildControl(parent, L"STATIC", LabelStyle, &LabelCodes);
  label->NoTextInvalidate = true;
  label->InvalidateOnResize = true;
  label->Bounds.bottom = label->Bounds.top + 22;
  label->SetText(caption);
  return label;
}

TControl* NewPanel(TControl* parent) {
  TControl* panel = NewLabel(parent, WideString());
  panel->Bounds.bottom = panel->Bounds.top + 64;
  return panel;
}

bool ChildControlHook(TControl* control, TMessageRecord& message, LRESULT& result) {
  if (message.Msg == WM_SETFOCUS) {
    result = 0;
    TControl* form = control->GetForm();
    if (form == nullptr) return true;
    form->FocusedControl = control;
    return false;  // the system control's own procedure takes the focus
  }
  if (message.Msg == CommandNotify) {
    uint16_t code = HIWORD(message.WParam);
    // Click first: a label's focus and blur codes equal its click code.
    if (code == control->Notify.ClickCode) {
      // The framework's own SetFocus calls cause notifications the user did not.
      if (control->FocusDepth == 0) {
        SetFocused(control, true);
        Click(control);
      }
    } else if (code == control->Notify.FocusCode) {
      if (control->OnGotFocus.Assigned()) control->OnGotFocus.Code(control->OnGotFocus.Data, control);
    } else if (code == control->Notify.BlurCode) {
      if (control->OnLostFocus.Assigned())
        control->OnLostFocus.Code(control->OnLostFocus.Data, control);
    } else {
      return false;
    }
    result = CallDefault(control, message);
    return true;
  }
  if (message.Msg >= ReflectBase + WM_CTLCOLORMSGBOX && message.Msg <= ReflectBase + WM_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    Api.SetTextColor(dc, ResolveColor(control->FontColor));
    Api.SetBkMode(dc, OPAQUE);
    Api.SetBkColor(dc, ResolveColor(control->Color));
    result = reinterpret_cast<LRESULT>(BackgroundBrush(control));
    return true;
  }
  return false;
}

bool ButtonDblClickHook(TControl*, TMessageRecord& message, LRESULT&) {
  // The system button would report a fast second tap as a double click, not a press.
  if (message.Msg == WM_LBUTTONDBLCLK) message.Msg = WM_LBUTTONDOWN;
  return false;
}

bool ButtonFocusHook(TControl* control, TMessageRecord& message, LRESULT&) {
  if (message.Msg == WM_SETFOCUS)
    control->SetStyle(control->Style | BS_DEFPUSHBUTTON);
  else if (message.Msg == WM_KILLFOCUS)
    control->SetStyle(control->Style & ~static_cast<uint32_t>(BS_DEFPUSHBUTTON));
  return false;
}

void Click(TControl* control) {
  if (control->OnClick.Assigned()) control->OnClick.Code(control->OnClick.Data, control);
}

void SetFocused(TControl* control, bool value) {
  if (!value || !control->TabStop) return;
  if (!control->IsChild) {
    Api.SetForegroundWindow(control->GetHandle());
    return;
  }
  // A child that was moved out of every form has no bookkeeping to keep.
  if (TControl* form = control->GetForm()) {
    if (form->FocusedControl != nullptr && form->FocusedControl != control) Api.SetFocus(nullptr);
    form->FocusedControl = control;
  }
  Api.SetFocus(control->GetHandle());
}

void Activate(TControl* control) {
  control->CreateHandle();
  control->Show(true);
  Api.SetForegroundWindow(control->Handle);
  TakeFocus(control);
}
