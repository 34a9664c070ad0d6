// DEBUG_ASSERT: what the code relies on, stated where it relies on it and
// checked in debug builds; a broken one reports itself and ends the program.
// Release builds (NDEBUG) carry none of it: neither the check nor its text.
//
//   DEBUG_ASSERT(control->DispatchDepth >= 0, "a dispatch depth below zero");
#pragma once

#ifdef NDEBUG
#define DEBUG_ASSERT(condition, what) ((void)0)
#else
#define DEBUG_ASSERT(condition, what) \
  ((condition) ? (void)0 : AssertionFailed(what, #condition, __FILE__, __LINE__))

// Writes the assumption and where it broke to stderr, then aborts.
[[noreturn]] void AssertionFailed(const char* what, const char* condition, const char* file,
                                  int line);
#endif
