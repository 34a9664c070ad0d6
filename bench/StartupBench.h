// Start-up: from the program's entry to the first completed paint of the
// list, in-process, so Wine's own start of the process is not counted. Each
// repetition is a fresh process running the demo's body (RunDemo) on the
// handheld's screen; it closes the demo right after that first paint.
//
// The loop's first wait for a message is noted too: by then every window is
// made and the form shown, the rest is the first paint's messages.
//
//   RunStartupBench();          // "startup_to_first_list_paint: 40.1 ms"
//   RunStartupOnce(entryMs);    // the child: prints "first-paint-ms loop-ms"
#pragma once

void RunStartupBench();
// With profiled, the platform calls of the run are printed after its times.
int RunStartupOnce(double entryMs, bool profiled);
