// The handheld's screen for tests and benchmarks: while a TDeviceScreen
// lives, the platform table reports the screen it scripts (240 x 320 and the
// whole of it as the work area, to begin with), so the demo lays itself out
// as on the device whatever size Wine's display has. Tests may change the
// screen under a running form (turn it, move the work area, fail the query,
// make it a Smartphone) through Now.
// With the bar at the screen's bottom (the benchmarks' choice) the stand-in
// soft-key bar is made there too and cuts the form back as the device's
// does: the list's panel comes out 240 x 256 above the 38-pixel "Kapat".
// Otherwise the bar stays at the bottom of Wine's display, below the small
// screen, and the form comes out 240 x 320.
//
//   TDeviceScreen screen;                              // before the first form is made
//   TDeviceScreen screen(TDeviceScreen::BarAtBottom);  // panel: 240 x 256
//   TDeviceScreen::Now = TDeviceScreen::Landscape;     // then announce it to the form
#pragma once

#include "tests/support/ApiPatch.h"

struct TScreenScript {
  int Width;
  int Height;
  RECT WorkArea;
  bool AreaFails;   // SPI_GETWORKAREA fails (after writing the area all the same)
  bool Smartphone;  // SPI_GETPLATFORMTYPE answers "SmartPhone"
};

class TDeviceScreen {
 public:
  static const int Width = 240;  // the portrait screen's
  static const int Height = 320;
  static constexpr TScreenScript Portrait = {Width, Height, {0, 0, Width, Height}, false, false};
  static constexpr TScreenScript Landscape = {Height, Width, {0, 0, Height, Width}, false, false};
  enum TBarPlace { BarBelowScreen, BarAtBottom };

  // The screen starts as Portrait.
  explicit TDeviceScreen(TBarPlace bar = BarBelowScreen);

  static inline TScreenScript Now = Portrait;

 private:
  static BOOL WINAPI Parameters(UINT action, UINT param, PVOID data, UINT flags);
  static int WINAPI Metrics(int index);
  static BOOL WINAPI MenuBar(SHMENUBARINFO* info);

  TScopedPatch<decltype(TPlatformApi::SystemParametersInfoW)> ParametersPatch;
  TScopedPatch<decltype(TPlatformApi::GetSystemMetrics)> MetricsPatch;
  TScopedPatch<decltype(TPlatformApi::SHCreateMenuBar)> MenuBarPatch;
};
