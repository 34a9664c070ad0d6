#include "core/Assert.h"

#ifndef NDEBUG

#include <cstdio>
#include <cstdlib>

void AssertionFailed(const char* what, const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: debug assertion failed: %s (%s)\n", file, line, what, condition);
  std::fflush(stderr);
  std::abort();
}

#endif
