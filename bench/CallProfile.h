// Profiling the platform calls of an operation: while a TCallProfile lives,
// every entry of the platform table is wrapped; each call is counted and
// timed (the performance counter around the forwarded call), then passed on
// to what the entry held. One profile at a time: the wrappers file into the
// newest. SelectObject is tallied per kind of object selected.
//
//   { TCallProfile profile;  PaintOnce();  profile.Print("paint_101_items"); }
//   // paint_101_items_platform_calls: 96 calls, then one "# " line per entry
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct TCallTally {
  const char* Name = nullptr;
  long long Calls = 0;
  double Ms = 0;
};

class TCallProfile {
 public:
  TCallProfile();
  ~TCallProfile();
  TCallProfile(const TCallProfile&) = delete;
  TCallProfile& operator=(const TCallProfile&) = delete;

  long long Total() const;
  long long Count(const char* name) const;
  // Counts and times are divided by runs: what one operation costs.
  // "NAME_platform_calls: N calls", then the entries, most time first.
  void Print(const std::string& name, int runs = 1) const;

  // The profile the wrappers file into; null when none lives.
  static TCallProfile* Active;
  std::vector<TCallTally> Tallies;

 private:
  template <auto Slot>
  void Wrap(const char* name);
  std::vector<std::function<void()>> Restorers;
};
