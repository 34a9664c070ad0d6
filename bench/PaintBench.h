// The paint group, in one process and side by side: one real WM_PAINT of the
// demo's list panel (240 x 256; 101, 100,000 and 1,000,000 items; at the top
// and in the middle of the list), one glide tick with the paint it causes,
// the platform's own list box repainted after a scroll by one row, and the
// floors of the same window painted by hand; then the ratios and the
// platform calls of one paint and of one tick.
//
//   RunPaintBench();   // prints "paint_101_items_240x256_offset_0: 0.05 ms" ...
#pragma once

void RunPaintBench();
