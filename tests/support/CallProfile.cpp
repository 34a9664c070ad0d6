#include "tests/support/CallProfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

double NowMs() {
  static const double msPerTick = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 / static_cast<double>(frequency.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * msPerTick;
}

double CookieMs(uint64_t cookie) {
  double ms;
  std::memcpy(&ms, &cookie, sizeof(ms));
  return ms;
}

uint64_t MsCookie(double ms) {
  uint64_t cookie;
  std::memcpy(&cookie, &ms, sizeof(ms));
  return cookie;
}

}  // namespace

TCallProfile::TCallProfile() {
  WrapAll();
  // Filed by the tags WrapAll gave: the entries in list order.
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  if (std::strcmp(#name, "SelectObject") == 0) SelectEntry = Tallies.size();           \
  Tallies.push_back(TCallTally{#name, 0, 0});
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
  // Selecting a bitmap, a font, a pen or a brush costs the platform very different amounts.
  SelectKinds = Tallies.size();
  for (const char* kind : {"SelectObject(bitmap)", "SelectObject(font)", "SelectObject(pen)",
                           "SelectObject(brush)"})
    Tallies.push_back(TCallTally{kind, 0, 0});
}

void TCallProfile::Before(TApiCall& call) { call.Cookie = MsCookie(NowMs()); }

// Time spent in nested wrapped calls is counted in both, as a profiler's
// inclusive time is.
void TCallProfile::After(TApiCall& call) {
  double elapsed = NowMs() - CookieMs(call.Cookie);
  size_t index = call.Tag;
  if (index == SelectEntry) {
    DWORD type = GetObjectType(CallHandle<HGDIOBJ>(call.Arg(1)));
    index = SelectKinds + (type == OBJ_BITMAP ? 0 : type == OBJ_FONT ? 1 : type == OBJ_PEN ? 2 : 3);
  }
  TCallTally& tally = Tallies[index];
  ++tally.Calls;
  tally.Ms += elapsed;
}

long long TCallProfile::Total() const {
  long long total = 0;
  for (const TCallTally& tally : Tallies) total += tally.Calls;
  return total;
}

long long TCallProfile::Count(const char* name) const {
  for (const TCallTally& tally : Tallies)
    if (std::strcmp(tally.Name, name) == 0) return tally.Calls;
  return 0;
}

std::string TCallProfile::Summary(int runs) const {
  if (runs < 1) runs = 1;
  std::vector<TCallTally> sorted;
  for (const TCallTally& tally : Tallies)
    if (tally.Calls > 0) sorted.push_back(tally);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TCallTally& a, const TCallTally& b) { return a.Ms > b.Ms; });
  std::string line;
  for (const TCallTally& tally : sorted) {
    char entry[96];
    std::snprintf(entry, sizeof(entry), "%s %lld (%.4f)", tally.Name, tally.Calls / runs,
                  tally.Ms / runs);
    if (!line.empty()) line += ", ";
    line += entry;
  }
  return line;
}
