// Idle: the processor time the running demo takes over 5 seconds in which
// nothing happens (GetProcessTimes, all threads of the process), after its
// first paint. A helper thread that sleeps through each window takes the
// readings, so the demo's own thread stays in its message loop; the window
// is repeated, and the messages the demo dispatched in it are counted (a
// timer left running would show as WM_TIMER messages).
//
//   RunIdleBench();   // "idle_cpu_over_5s: 0.0 %" ...
#pragma once

void RunIdleBench();
