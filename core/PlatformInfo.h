// Small platform helpers: which edition of the platform this is (it decides
// whether top-level windows get a soft-key bar), the screen height, a
// rectangle comparison, integer min/max and decimal text.
//
//   if (GetPlatformType() != ptSmartPhone) CreateSoftKeyBar();
#pragma once

#include <windows.h>

#include <string>

typedef unsigned char TPlatformType;
const TPlatformType ptUnknown = 0;
const TPlatformType ptPocketPC = 1;
const TPlatformType ptSmartPhone = 2;

// Determined once through the platform, then answered from a cache.
TPlatformType GetPlatformType();
// Forgets the cached answer; for tests that script the platform query.
void ResetPlatformTypeCache();

int ScreenHeight();
bool SameRect(const RECT& a, const RECT& b);
// Right and bottom edges excluded, as the platform's PtInRect has them.
inline bool InRect(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
inline int Min(int a, int b) { return a >= b ? b : a; }
inline int Max(int a, int b) { return a <= b ? b : a; }

// Signed 32-bit integer to 8-bit decimal text, correct over the whole range.
std::string IntToStr(int value);
