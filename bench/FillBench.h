// Filling: adding 10,000, 100,000 and 1,000,000 items ("Deneme: N") to a
// list box's Items (a TWStrList), each repetition in a fresh process, with
// the time and the process's private bytes before and after. Beside it, the
// same texts copied into one array sized in advance: what filling costs
// without the pointer list's growth in steps of 4.
//
//   RunFillBench();               // "fill_1000000_items: 812 ms" ...
//   RunFillOnce(L"items", 10000); // the child: prints "ms bytes"
#pragma once

#include <string>

void RunFillBench();
int RunFillOnce(const std::wstring& kind, int count);
