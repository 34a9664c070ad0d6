// The handheld's screen for the benchmarks: while a TBenchScreen lives, the
// platform table reports a 240 x 320 screen whose soft-key bar takes the
// bottom 26 pixels, so the demo lays itself out as on the device (the list's
// panel 240 x 256 above the 38-pixel "Kapat" button), whatever size Wine's
// display has.
//
//   TBenchScreen screen;                 // before the first form is made
//   NewDemoForm(DemoForm, nullptr);      // panel: 240 x 256
#pragma once

#include "tests/support/ApiPatch.h"

const int BenchScreenWidth = 240;
const int BenchScreenHeight = 320;

class TBenchScreen {
 public:
  TBenchScreen();

 private:
  static BOOL WINAPI WorkArea(UINT action, UINT param, PVOID data, UINT ini);
  static int WINAPI Metrics(int index);
  static BOOL WINAPI MenuBar(SHMENUBARINFO* info);

  TScopedPatch<decltype(TPlatformApi::SystemParametersInfoW)> AreaPatch;
  TScopedPatch<decltype(TPlatformApi::GetSystemMetrics)> MetricsPatch;
  TScopedPatch<decltype(TPlatformApi::SHCreateMenuBar)> MenuBarPatch;
};
