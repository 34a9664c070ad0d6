#include "tests/support/DeviceScreen.h"

#include "platform/SoftKeyBar.h"

TDeviceScreen::TDeviceScreen(TBarPlace bar)
    : AreaPatch(Api.SystemParametersInfoW, WorkArea),
      MetricsPatch(Api.GetSystemMetrics, Metrics),
      MenuBarPatch(Api.SHCreateMenuBar, bar == BarAtBottom ? MenuBar : Api.SHCreateMenuBar) {}

BOOL WINAPI TDeviceScreen::WorkArea(UINT action, UINT param, PVOID data, UINT flags) {
  if (action != SPI_GETWORKAREA || data == nullptr)
    return DefaultApi.SystemParametersInfoW(action, param, data, flags);
  // The whole screen: the form reaches down to the bar, which cuts it back.
  SetRect(static_cast<RECT*>(data), 0, 0, Width, Height);
  return TRUE;
}

int WINAPI TDeviceScreen::Metrics(int index) {
  if (index == SM_CXSCREEN) return Width;
  if (index == SM_CYSCREEN) return Height;
  return DefaultApi.GetSystemMetrics(index);
}

// The stand-in places its bar at the bottom of Wine's real display; moved
// to the bottom of the small screen, it cuts the form where the device's does.
BOOL WINAPI TDeviceScreen::MenuBar(SHMENUBARINFO* info) {
  if (!DefaultApi.SHCreateMenuBar(info)) return FALSE;
  SetWindowPos(info->hwndMB, nullptr, 0, Height - SoftKeyBarHeight, Width, SoftKeyBarHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
