#include "bench/GlideBench.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/DemoForm.h"
#include "tests/support/DeviceScreen.h"
#include "bench/DemoWatch.h"
#include "bench/Measure.h"
#include "core/Timer.h"
#include "listbox/GlideStripbox.h"

namespace {

const int WarmUpGlides = 1;
const int Glides = MinRepetitions;
const double IdealPerSecond = 100;  // one tick per 10 ms interval

enum TPhase { phStarting, phGliding, phLastPaint, phDone };

struct TGlideRun {
  TPhase Phase = phStarting;
  RECT Panel = {0, 0, 0, 0};  // the running demo's panel, as laid out on this platform
  std::vector<double> Ticks;   // times of this glide's ticks
  std::vector<double> Paints;  // times of the paints after its first tick
  int Finished = 0;
  std::vector<double> TicksPerSecond;
  std::vector<double> PaintsPerSecond;
  std::vector<double> Unpainted;
  std::vector<double> TickCounts;
  std::vector<double> Durations;
};

TGlideRun Glide;

double PerSecond(const std::vector<double>& times) {
  if (times.size() < 2) return 0;
  return static_cast<double>(times.size() - 1) * 1000.0 / (times.back() - times.front());
}

// From the same place each time, so no glide reaches the end of the list:
// 30 pixels of drag, then about 1200 pixels of glide.
void Flick() {
  TGlideStripbox* list = TDemoWatch::List();
  list->Offset = {0, 1000};
  HWND panel = TDemoWatch::PanelWindow();
  // A step of 30 pixels gives half of it, 15, the maximum speed.
  PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 200));
  PostMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 170));
  PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(120, 140));
  Glide.Ticks.clear();
  Glide.Paints.clear();
  Glide.Phase = phGliding;
}

void CountingTick(void* data, TTimer* sender) {
  Glide.Ticks.push_back(NowMs());
  TGlideStripbox::TimerTick(data, sender);
  if (!sender->Enabled) Glide.Phase = phLastPaint;  // the tick that stopped the glide
}

void GlideEnded() {
  if (Glide.Finished >= WarmUpGlides) {
    Glide.TicksPerSecond.push_back(PerSecond(Glide.Ticks));
    Glide.PaintsPerSecond.push_back(PerSecond(Glide.Paints));
    Glide.Unpainted.push_back(static_cast<double>(Glide.Ticks.size()) -
                            static_cast<double>(Glide.Paints.size()));
    Glide.TickCounts.push_back(static_cast<double>(Glide.Ticks.size()));
    Glide.Durations.push_back(Glide.Ticks.back() - Glide.Ticks.front());
  }
  ++Glide.Finished;
}

void PanelPainted(void*) {
  switch (Glide.Phase) {
    case phStarting: {
      // The demo's first paint: the list is up; its timer ticks through us from now on.
      TGlideStripbox* list = TDemoWatch::List();
      list->Timer->OnTimer = {CountingTick, list};
      GetClientRect(TDemoWatch::PanelWindow(), &Glide.Panel);
      Flick();
      break;
    }
    case phGliding:
      // The paint of the flick itself comes before the first tick.
      if (!Glide.Ticks.empty()) Glide.Paints.push_back(NowMs());
      break;
    case phLastPaint:
      Glide.Paints.push_back(NowMs());
      GlideEnded();
      if (Glide.Finished < WarmUpGlides + Glides) {
        Flick();
      } else {
        Glide.Phase = phDone;
        TDemoWatch::CloseDemo();
      }
      break;
    case phDone:
      break;
  }
}

}  // namespace

void RunGlideBench() {
  TDeviceScreen screen(TDeviceScreen::BarAtBottom);
  {
    TDemoWatch watch(PanelPainted, nullptr);
    RunDemo();
  }
  if (Glide.TicksPerSecond.empty()) {
    Note("no glide was measured");
    return;
  }
  Note(std::to_string(Glide.TicksPerSecond.size()) + " glides after " +
       std::to_string(WarmUpGlides) + " warm-up; flick of 30 pixels (speed 15); medians; "
       "the demo's panel " + std::to_string(Glide.Panel.right) + " x " +
       std::to_string(Glide.Panel.bottom));
  double ticks = Median(Glide.TicksPerSecond);
  double paints = Median(Glide.PaintsPerSecond);
  double worst = 0;
  for (double u : Glide.Unpainted) worst = u > worst ? u : worst;
  ReportCount("glide_realtime_ticks", static_cast<long long>(Median(Glide.TickCounts)), "ticks");
  Report("glide_realtime_duration", Median(Glide.Durations), "ms");
  Report("glide_realtime_ticks_per_second", ticks, "/s");
  Report("glide_realtime_paints_per_second", paints, "/s");
  ReportRatio("glide_realtime_ticks_to_ideal", ticks, IdealPerSecond);
  ReportRatio("glide_realtime_paints_to_ideal", paints, IdealPerSecond);
  ReportCount("glide_realtime_unpainted_ticks", static_cast<long long>(Median(Glide.Unpainted)),
              "ticks");
  ReportCount("glide_realtime_unpainted_ticks_worst_glide", static_cast<long long>(worst),
              "ticks");
}
