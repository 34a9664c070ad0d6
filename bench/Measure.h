// Timing and reporting for the benchmark programs: the performance counter,
// medians of repeated runs after a warm-up, cases measured side by side
// (their repetitions interleaved), and the one-line result format.
//
//   TCase paint = {"paint_101_items_240x256_offset_0", Prepare, Paint, &list};
//   std::vector<double> ms = MeasureSideBySide({&paint, &blit}, 20, 201);
//   Report(paint.Name, ms[0], "ms");
//   ReportRatio("paint_ours_to_bitblt", ms[0], ms[1]);
#pragma once

#include <string>
#include <vector>

#include "tests/support/CallProfile.h"

// Milliseconds from the performance counter; only differences mean anything.
double NowMs();

double Median(std::vector<double> values);

// One measured operation: Prepare (untimed), Run (timed), Finish (untimed),
// each with Data.
struct TCase {
  std::string Name;
  void (*Prepare)(void* data);  // may be null
  void (*Run)(void* data);
  void* Data;
  void (*Finish)(void* data) = nullptr;
  // Where the case files a time of its own per run (a part of Run, timed
  // inside); samples of warm-up rounds are dropped. May be null.
  std::vector<double>* Inner = nullptr;
};

// Runs every case warmUp times, then repetitions times, the cases taking
// turns in a shuffled order each round, so that a disturbance from the rest
// of the machine hits all of them alike; returns each case's median of Run in milliseconds, in the order
// given. Inner samples are left in the cases for Median.
std::vector<double> MeasureSideBySide(const std::vector<TCase*>& cases, int warmUp,
                                      int repetitions);

// "name: value unit" on standard output, flushed at once.
void Report(const std::string& name, double value, const std::string& unit);
// "name: N unit" for counted things.
void ReportCount(const std::string& name, long long value, const std::string& unit);
// "name: a/b x"; a comparison is always printed this way as well.
void ReportRatio(const std::string& name, double a, double b);
// A line a reader skips: set-up facts and profiles, starting with "# ".
void Note(const std::string& text);
// The platform calls of one operation over runs: "NAME_platform_calls: N calls",
// then a note with the entries and their inclusive times, most time first.
void ReportProfile(const std::string& name, const TCallProfile& profile, int runs = 1);

// At least this many measured repetitions stand behind every figure.
const int MinRepetitions = 15;
