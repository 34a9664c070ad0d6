// The handheld's screen for tests and benchmarks: while a TDeviceScreen
// lives, the platform table reports a 240 x 320 screen and work area, so the
// demo lays itself out as on the device whatever size Wine's display has.
// With the bar at the screen's bottom (the benchmarks' choice) the stand-in
// soft-key bar is moved there too and cuts the form back as the device's
// does: the list's panel comes out 240 x 256 above the 38-pixel "Kapat".
// Otherwise the bar stays at the bottom of Wine's display, below the small
// screen, and the form comes out 240 x 320.
//
//   TDeviceScreen screen;                              // before the first form is made
//   TDeviceScreen screen(TDeviceScreen::BarAtBottom);  // panel: 240 x 256
#pragma once

#include "tests/support/ApiPatch.h"

class TDeviceScreen {
 public:
  static const int Width = 240;
  static const int Height = 320;
  enum TBarPlace { BarBelowScreen, BarAtBottom };

  explicit TDeviceScreen(TBarPlace bar = BarBelowScreen);

 private:
  static BOOL WINAPI WorkArea(UINT action, UINT param, PVOID data, UINT flags);
  static int WINAPI Metrics(int index);
  static BOOL WINAPI MenuBar(SHMENUBARINFO* info);

  TScopedPatch<decltype(TPlatformApi::SystemParametersInfoW)> AreaPatch;
  TScopedPatch<decltype(TPlatformApi::GetSystemMetrics)> MetricsPatch;
  TScopedPatch<decltype(TPlatformApi::SHCreateMenuBar)> MenuBarPatch;
};
