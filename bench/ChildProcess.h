// Running this benchmark program again as a child process, for figures that
// need a fresh process each time (start-up, memory of a fill): the child's
// standard output comes back as text.
//
//   std::string out = RunSelf(L"--startup-once");   // "12.3456\n"
#pragma once

#include <string>

// Empty when the child could not be started.
std::string RunSelf(const std::wstring& arguments);
