#include "bench/IdleBench.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/DemoForm.h"
#include "tests/support/DeviceScreen.h"
#include "bench/DemoWatch.h"
#include "bench/Measure.h"
#include "tests/support/ApiPatch.h"

namespace {

const DWORD WindowMs = 5000;
const DWORD SettleMs = 500;  // the start's last messages die down
const int WarmUpWindows = 1;
const int Windows = MinRepetitions;

volatile LONG Dispatched = 0;
volatile LONG TimerMessages = 0;

LRESULT WINAPI CountingDispatch(const MSG* message) {
  InterlockedIncrement(&Dispatched);
  if (message != nullptr && message->message == WM_TIMER) InterlockedIncrement(&TimerMessages);
  return DefaultApi.DispatchMessageW(message);
}

struct TIdle {
  HANDLE Helper = nullptr;
  double StartCpuMs = 0;  // the process's processor time up to the first paint
  std::vector<double> CpuMs;
  std::vector<double> Percent;
  std::vector<double> Messages;
  std::vector<double> Timers;
};

TIdle Idle;

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
  ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
  return static_cast<double>(k.QuadPart + u.QuadPart) / 10000.0;  // 100 ns units
}

DWORD WINAPI Measure(void*) {
  Sleep(SettleMs);
  for (int i = 0; i < WarmUpWindows + Windows; ++i) {
    double cpu = ProcessCpuMs();
    double wall = NowMs();
    LONG messages = Dispatched;
    LONG timers = TimerMessages;
    Sleep(WindowMs);
    double cpuUsed = ProcessCpuMs() - cpu;
    double wallUsed = NowMs() - wall;
    if (i < WarmUpWindows) continue;
    Idle.CpuMs.push_back(cpuUsed);
    Idle.Percent.push_back(100.0 * cpuUsed / wallUsed);
    Idle.Messages.push_back(static_cast<double>(Dispatched - messages));
    Idle.Timers.push_back(static_cast<double>(TimerMessages - timers));
  }
  TDemoWatch::CloseDemo();
  return 0;
}

void FirstPaint(void*) {
  if (Idle.Helper != nullptr) return;
  Idle.StartCpuMs = ProcessCpuMs();
  Idle.Helper = CreateThread(nullptr, 0, Measure, nullptr, 0, nullptr);
}

}  // namespace

void RunIdleBench() {
  TDeviceScreen screen(TDeviceScreen::BarAtBottom);
  TScopedPatch<decltype(TPlatformApi::DispatchMessageW)> counting(Api.DispatchMessageW,
                                                                  CountingDispatch);
  {
    TDemoWatch watch(FirstPaint, nullptr);
    RunDemo();
  }
  if (Idle.Helper == nullptr) {
    Note("the demo never painted its list");
    return;
  }
  WaitForSingleObject(Idle.Helper, INFINITE);
  CloseHandle(Idle.Helper);
  Note(std::to_string(Idle.Percent.size()) + " windows of " + std::to_string(WindowMs / 1000) +
       " s after " + std::to_string(WarmUpWindows) + " warm-up, from the first paint; medians");
  // A counter that never moved would read as a perfect idle.
  Note("processor time of the start up to the first paint: " +
       std::to_string(static_cast<int>(Idle.StartCpuMs)) +
       " ms (the counter moves in steps of the host's clock tick, 10 ms under Wine)");
  Report("idle_cpu_over_5s", Median(Idle.Percent), "%");
  Report("idle_cpu_time_per_5s", Median(Idle.CpuMs), "ms");
  ReportCount("idle_messages_per_5s", static_cast<long long>(Median(Idle.Messages)), "messages");
  ReportCount("idle_timer_messages_per_5s", static_cast<long long>(Median(Idle.Timers)),
              "messages");
}
