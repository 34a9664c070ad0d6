#include "bench/Measure.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

double CounterPeriodMs() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Decimals enough for three significant digits of small values.
const char* FormatFor(double value) {
  double magnitude = value < 0 ? -value : value;
  if (magnitude >= 100) return "%.1f";
  if (magnitude >= 10) return "%.2f";
  if (magnitude >= 0.1) return "%.3f";
  return "%.4f";
}

}  // namespace

double NowMs() {
  static const double period = CounterPeriodMs();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * period;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

std::vector<double> MeasureSideBySide(const std::vector<TCase*>& cases, int warmUp,
                                      int repetitions) {
  if (repetitions < MinRepetitions) repetitions = MinRepetitions;
  std::vector<std::vector<double>> samples(cases.size());
  for (TCase* c : cases)
    if (c->Inner != nullptr) c->Inner->clear();
  // A new order each round: a case never always follows the same other one,
  // whose traces (caches, the platform's state) it would otherwise inherit.
  std::vector<size_t> order(cases.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::mt19937 shuffle(20240601);  // fixed, so that runs are alike
  for (int round = 0; round < warmUp + repetitions; ++round) {
    std::shuffle(order.begin(), order.end(), shuffle);
    for (size_t i : order) {
      TCase* c = cases[i];
      size_t inner = c->Inner != nullptr ? c->Inner->size() : 0;
      if (c->Prepare != nullptr) c->Prepare(c->Data);
      double start = NowMs();
      c->Run(c->Data);
      double elapsed = NowMs() - start;
      if (c->Finish != nullptr) c->Finish(c->Data);
      if (round >= warmUp)
        samples[i].push_back(elapsed);
      else if (c->Inner != nullptr)
        c->Inner->resize(inner);
    }
  }
  std::vector<double> medians;
  for (const std::vector<double>& s : samples) medians.push_back(Median(s));
  return medians;
}

void Report(const std::string& name, double value, const std::string& unit) {
  char number[32];
  std::snprintf(number, sizeof(number), FormatFor(value), value);
  std::printf("%s: %s %s\n", name.c_str(), number, unit.c_str());
  std::fflush(stdout);
}

void ReportCount(const std::string& name, long long value, const std::string& unit) {
  std::printf("%s: %lld %s\n", name.c_str(), value, unit.c_str());
  std::fflush(stdout);
}

void ReportRatio(const std::string& name, double a, double b) {
  Report(name, b != 0 ? a / b : 0, "x");
}

void Note(const std::string& text) {
  std::printf("# %s\n", text.c_str());
  std::fflush(stdout);
}

void ReportProfile(const std::string& name, const TCallProfile& profile, int runs) {
  if (runs < 1) runs = 1;
  ReportCount(name + "_platform_calls", profile.Total() / runs, "calls");
  // Inclusive times: a call that sends messages counts what their handling calls too.
  Note(name + " per run, inclusive ms: " + profile.Summary(runs));
}
