#include "bench/FillBench.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/Measure.h"
#include "core/WStrList.h"

namespace {

// "Deneme: " and the number, written into text; returns the length.
int ItemText(wchar_t* text, int number) {
  static const wchar_t prefix[] = L"Deneme: ";
  int length = 0;
  for (const wchar_t* p = prefix; *p != 0; ++p) text[length++] = *p;
  wchar_t digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + number % 10);
    number /= 10;
  } while (number > 0);
  while (n > 0) text[length++] = digits[--n];
  text[length] = 0;
  return length;
}

// The process's private bytes. Wine leaves PrivateUsage at 0; its
// PagefileUsage counts the process's private pages, as Windows' does.
double PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  SIZE_T bytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  return static_cast<double>(bytes);
}

// Where a filled array goes, so that the compiler keeps the work that made it.
wchar_t** volatile Filled = nullptr;

struct TFillFigures {
  std::vector<double> Ms;
  std::vector<double> BytesPerItem;
};

bool FillInChild(const wchar_t* kind, int count, TFillFigures& figures, bool keep) {
  std::wstring arguments = L"--fill-once " + std::wstring(kind) + L" " + std::to_wstring(count);
  std::string out = RunSelf(arguments);
  double ms = 0;
  double bytes = 0;
  if (std::sscanf(out.c_str(), "%lf %lf", &ms, &bytes) != 2) {
    Note("a fill run of " + std::to_string(count) + " gave: \"" + out + "\"");
    return false;
  }
  if (keep) {
    figures.Ms.push_back(ms);
    figures.BytesPerItem.push_back(bytes / count);
  }
  return true;
}

}  // namespace

int RunFillOnce(const std::wstring& kind, int count) {
  wchar_t text[32];
  double before = PrivateBytes();
  double start = NowMs();
  if (kind == L"items") {
    TWStrList* items = TWStrList::Create();
    for (int i = 0; i < count; ++i) {
      ItemText(text, i);
      items->Add(text);
    }
  } else {
    // One heap block per text, as Items makes them, in an array made once.
    wchar_t** array = static_cast<wchar_t**>(std::malloc(sizeof(wchar_t*) * count));
    for (int i = 0; i < count; ++i) {
      int length = ItemText(text, i);
      array[i] = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (length + 1)));
      std::wmemcpy(array[i], text, length + 1);
    }
    Filled = array;
  }
  double ms = NowMs() - start;
  double after = PrivateBytes();
  // The list stays: the process ends here, and freeing it is no part of filling.
  std::printf("%.4f %.0f\n", ms, after - before);
  return 0;
}

void RunFillBench() {
  const int counts[] = {10000, 100000, 1000000};
  const int warmUp = 1;
  Note("each repetition a fresh process; " + std::to_string(MinRepetitions) + " after " +
       std::to_string(warmUp) + " warm-up, items and array taking turns; medians");
  for (int count : counts) {
    TFillFigures items;
    TFillFigures array;
    for (int i = 0; i < warmUp + MinRepetitions; ++i) {
      bool keep = i >= warmUp;
      // A run that failed (its note says how) is tried once more before the group gives up.
      struct {
        const wchar_t* Kind;
        TFillFigures* Figures;
      } runs[] = {{L"items", &items}, {L"array", &array}};
      for (const auto& run : runs) {
        if (!FillInChild(run.Kind, count, *run.Figures, keep) &&
            !FillInChild(run.Kind, count, *run.Figures, keep))
          return;
      }
    }
    std::string name = "fill_" + std::to_string(count);
    double ms = Median(items.Ms);
    Report(name + "_items", ms, "ms");
    Report(name + "_items_per_item", ms * 1000.0 / count, "us");
    Report(name + "_items_memory", Median(items.BytesPerItem), "bytes/item");
    Report(name + "_texts_in_one_array", Median(array.Ms), "ms");
    Report(name + "_texts_in_one_array_memory", Median(array.BytesPerItem), "bytes/item");
    ReportRatio(name + "_items_to_one_array", ms, Median(array.Ms));
  }
}
