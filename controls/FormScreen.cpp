#include "controls/FormScreen.h"

#include "core/PlatformInfo.h"
#include "platform/Platform.h"
#include "platform/ScreenChange.h"

namespace {

// Only a form placed by the platform follows it; set bounds are the creator's.
bool Follows(TControl* form) {
  return form->FullScreen && !form->IsChild && form->BoundsSet == 0 && form->Handle != nullptr;
}

SHACTIVATEINFO* ShellRecord(TControl* form) {
  if (form->ShellActivate.cbSize == 0) form->ShellActivate.cbSize = sizeof(SHACTIVATEINFO);
  return &form->ShellActivate;
}

}  // namespace

bool FormScreenHook(TControl* form, TMessageRecord& message, LRESULT&) {
  // The main form also sees unbound windows' messages: only its own count.
  if (form->Handle == nullptr || message.Wnd != form->Handle || form->IsChild) return false;
  if (message.Msg == WM_ACTIVATE) {
    Api.SHHandleWMActivate(form->Handle, message.WParam, message.LParam, ShellRecord(form), 0);
    return false;
  }
  // The shell sizes only a window that follows the screen; then this form's own rule decides.
  if (message.Msg == WM_SETTINGCHANGE && Follows(form))
    Api.SHHandleWMSettingChange(form->Handle, message.WParam, message.LParam, ShellRecord(form));
  if (IsScreenChange(message.Msg, message.WParam)) FollowScreen(form);
  return false;  // the message is answered as before
}

void FollowScreen(TControl* form) {
  if (!Follows(form)) return;
  RECT area = {};
  if (!Api.SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return;
  const int screenBottom = ScreenHeight();
  // An empty answer is no place to go either.
  if (area.right <= area.left || screenBottom <= area.top) return;
  RECT rect = {area.left, area.top, area.right, screenBottom};
  RECT bar = {};
  // The bar stays along the screen's bottom, but it may hear of the change
  // after this form: its top is taken from where it goes, not where it is.
  if (form->MenuBar != nullptr && Api.GetWindowRect(form->MenuBar, &bar))
    rect.bottom = Max(rect.top, Min(rect.bottom, screenBottom - (bar.bottom - bar.top)));
  RECT now = {};
  if (!Api.GetWindowRect(form->Handle, &now) || SameRect(now, rect)) return;
  form->Bounds = rect;
  // The window's WM_SIZE lays out the aligned children.
  Api.SetWindowPos(form->Handle, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}
