// The glide in real time: the running demo (RunDemo on the handheld's
// screen) gets a flick at the maximum speed as stylus messages to its
// panel, and the list glides on its own 10 ms timer under Wine's message
// loop. Per glide: timer ticks delivered per second, paints per second and
// ticks that were never painted; the median over the glides against the
// ideal 100 per second.
//
//   RunGlideBench();   // "glide_realtime_ticks_per_second: 99.2 /s" ...
#pragma once

void RunGlideBench();
