// Profiling the platform calls of an operation: while a TCallProfile lives,
// every entry of the platform table is wrapped; each call is counted and
// timed (the performance counter around the forwarded call), then passed on
// to what the entry held. SelectObject is tallied per kind of object selected
// as well.
//
//   { TCallProfile profile;  PaintOnce();  Print(profile.Summary(1)); }
//   // profile.Total(): the calls made; Summary: "Entry calls (ms), ..." most time first
#pragma once

#include <string>
#include <vector>

#include "tests/support/ApiLayer.h"

struct TCallTally {
  const char* Name = nullptr;
  long long Calls = 0;
  double Ms = 0;
};

class TCallProfile : public TApiLayer<TCallProfile> {
 public:
  TCallProfile();

  long long Total() const;
  long long Count(const char* name) const;
  // Counts and times divided by runs, what one operation costs, the entries
  // with calls, most time first: "Entry N (ms), ...". Times are inclusive: a
  // call that sends messages counts what their handling calls too.
  std::string Summary(int runs = 1) const;

  void Before(TApiCall& call);
  void After(TApiCall& call);

  std::vector<TCallTally> Tallies;  // the entries in list order, then SelectObject per kind

 private:
  size_t SelectEntry = 0;  // SelectObject's place in the list
  size_t SelectKinds = 0;  // the first of the per-kind tallies
};
