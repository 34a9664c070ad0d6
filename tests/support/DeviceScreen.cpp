#include "tests/support/DeviceScreen.h"

#include <cwchar>

#include "platform/SoftKeyBar.h"

TDeviceScreen::TDeviceScreen(TBarPlace bar)
    : ParametersPatch(Api.SystemParametersInfoW, Parameters),
      MetricsPatch(Api.GetSystemMetrics, Metrics),
      MenuBarPatch(Api.SHCreateMenuBar, bar == BarAtBottom ? MenuBar : Api.SHCreateMenuBar) {
  Now = Portrait;
}

BOOL WINAPI TDeviceScreen::Parameters(UINT action, UINT param, PVOID data, UINT flags) {
  if (action == SPI_GETWORKAREA) {
    if (data == nullptr) return FALSE;
    // The whole screen, to begin with: the form reaches down to the bar, which cuts it back.
    *static_cast<RECT*>(data) = Now.WorkArea;
    return Now.AreaFails ? FALSE : TRUE;  // a failed call may have written anything
  }
  if (action == SPI_GETPLATFORMTYPE && Now.Smartphone && data != nullptr) {
    wcsncpy(static_cast<wchar_t*>(data), L"SmartPhone", param / sizeof(wchar_t));
    return TRUE;
  }
  return DefaultApi.SystemParametersInfoW(action, param, data, flags);
}

int WINAPI TDeviceScreen::Metrics(int index) {
  if (index == SM_CXSCREEN) return Now.Width;
  if (index == SM_CYSCREEN) return Now.Height;
  return DefaultApi.GetSystemMetrics(index);
}

// The stand-in places its bar at the bottom of Wine's real display; moved
// to the bottom of the small screen, it cuts the form where the device's does.
BOOL WINAPI TDeviceScreen::MenuBar(SHMENUBARINFO* info) {
  if (!DefaultApi.SHCreateMenuBar(info)) return FALSE;
  SetWindowPos(info->hwndMB, nullptr, 0, Now.Height - SoftKeyBarHeight, Now.Width,
               SoftKeyBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
