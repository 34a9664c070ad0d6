// The benchmark program: one group of figures per run, printed as
// "name: value unit" lines (and "# " notes). scripts/bench runs every group.
//
//   glidestrip_bench.exe paint     // also: glide, idle, startup, fill
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/FillBench.h"
#include "bench/GlideBench.h"
#include "bench/IdleBench.h"
#include "bench/Measure.h"
#include "bench/PaintBench.h"
#include "bench/StartupBench.h"

int wmain(int argc, wchar_t** argv) {
  // The start-up figure counts from here, the program's entry.
  double entryMs = NowMs();
  std::wstring group = argc >= 2 ? argv[1] : L"";
  // Children of the start-up and fill groups.
  if (group == L"--startup-once")
    return RunStartupOnce(entryMs, argc >= 3 && std::wstring(argv[2]) == L"profile");
  if (group == L"--fill-once" && argc >= 4)
    return RunFillOnce(argv[2], static_cast<int>(std::wcstol(argv[3], nullptr, 10)));

  if (group == L"paint") {
    RunPaintBench();
  } else if (group == L"glide") {
    RunGlideBench();
  } else if (group == L"idle") {
    RunIdleBench();
  } else if (group == L"startup") {
    RunStartupBench();
  } else if (group == L"fill") {
    RunFillBench();
  } else {
    std::fprintf(stderr, "usage: glidestrip_bench paint|glide|idle|startup|fill\n");
    return 2;
  }
  return 0;
}
