#include "bench/DemoWatch.h"

#include "app/DemoForm.h"
#include "controls/Control.h"
#include "listbox/GlideStripbox.h"

TDemoWatch* TDemoWatch::Active = nullptr;

TDemoWatch::TDemoWatch(TPaintProc onPanelPaint, void* data)
    : OnPanelPaint(onPanelPaint), Data(data), Patch(Api.EndPaint, EndPaint) {
  Active = this;
}

TDemoWatch::~TDemoWatch() { Active = nullptr; }

TGlideStripbox* TDemoWatch::List() { return DemoForm != nullptr ? DemoForm->ListBox : nullptr; }

HWND TDemoWatch::FormWindow() {
  return DemoForm != nullptr && DemoForm->Form != nullptr ? DemoForm->Form->Handle : nullptr;
}

HWND TDemoWatch::PanelWindow() {
  TGlideStripbox* list = List();
  return list != nullptr && list->GetPanel() != nullptr ? list->GetPanel()->Handle : nullptr;
}

void TDemoWatch::CloseDemo() {
  if (HWND form = FormWindow()) PostMessageW(form, WM_CLOSE, 0, 0);
}

BOOL WINAPI TDemoWatch::EndPaint(HWND window, const PAINTSTRUCT* paint) {
  BOOL result = DefaultApi.EndPaint(window, paint);
  // Only now is the paint complete: the panel's pixels have reached its window.
  if (Active != nullptr && window != nullptr && window == PanelWindow())
    Active->OnPanelPaint(Active->Data);
  return result;
}
