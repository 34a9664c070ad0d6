// Handle accounting: while it is on, the platform table counts, per kind,
// the platform objects the program creates and releases (windows, GDI
// objects, device contexts, timers), so a scenario can end with a count of
// what is still alive.
//
//   StartHandleAccounting();
//   RunScenario();
//   THandleCounts counts = CurrentHandleCounts();
//   EXPECT_EQ(counts.Alive[hkFont], 0);
//   StopHandleAccounting();
#pragma once

#include <string>

enum THandleKind {
  hkWindow,     // CreateWindowExW; alive while the window still exists
  hkBrush,      // CreateSolidBrush / DeleteObject
  hkFont,       // CreateFontIndirectW / DeleteObject
  hkPen,        // CreatePenIndirect / DeleteObject
  hkBitmap,     // CreateCompatibleBitmap / DeleteObject
  hkRegion,     // CreateRectRgn / DeleteObject
  hkWindowDC,   // GetDC / ReleaseDC
  hkMemoryDC,   // CreateCompatibleDC / DeleteDC
  hkPaintDC,    // BeginPaint / EndPaint
  hkTimer,      // SetTimer / KillTimer (a timer of a destroyed window counts as released)
  hkKindCount
};

struct THandleCounts {
  long Created[hkKindCount];
  long Released[hkKindCount];
  long Alive[hkKindCount];
};

const char* HandleKindName(THandleKind kind);

// Wraps the creating and releasing entries of the platform table; counts start at 0.
void StartHandleAccounting();
// Puts the entries back as they were when accounting started.
void StopHandleAccounting();
bool HandleAccountingActive();
THandleCounts CurrentHandleCounts();
// "window=1 brush=0 ..." of the objects still alive, for failure messages.
std::string DescribeAliveHandles();
