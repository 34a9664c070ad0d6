#include "bench/BenchScreen.h"

#include "platform/SoftKeyBar.h"

TBenchScreen::TBenchScreen()
    : AreaPatch(Api.SystemParametersInfoW, WorkArea),
      MetricsPatch(Api.GetSystemMetrics, Metrics),
      MenuBarPatch(Api.SHCreateMenuBar, MenuBar) {}

BOOL WINAPI TBenchScreen::WorkArea(UINT action, UINT param, PVOID data, UINT ini) {
  if (action != SPI_GETWORKAREA || data == nullptr)
    return DefaultApi.SystemParametersInfoW(action, param, data, ini);
  // The whole screen: the form reaches down to the bar, which cuts it back.
  SetRect(static_cast<RECT*>(data), 0, 0, BenchScreenWidth, BenchScreenHeight);
  return TRUE;
}

int WINAPI TBenchScreen::Metrics(int index) {
  if (index == SM_CXSCREEN) return BenchScreenWidth;
  if (index == SM_CYSCREEN) return BenchScreenHeight;
  return DefaultApi.GetSystemMetrics(index);
}

// The stand-in places its bar at the bottom of Wine's real display; moved
// to the bottom of the small screen, it cuts the form where the device's does.
BOOL WINAPI TBenchScreen::MenuBar(SHMENUBARINFO* info) {
  if (!DefaultApi.SHCreateMenuBar(info)) return FALSE;
  SetWindowPos(info->hwndMB, nullptr, 0, BenchScreenHeight - SoftKeyBarHeight, BenchScreenWidth,
               SoftKeyBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
