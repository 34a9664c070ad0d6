// A crash in any reliability suite ends its process at once with a line on
// stderr, instead of starting the platform's debugger, which would wait for
// ever under the test run.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportAndEnd(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  std::fflush(stdout);
  std::fprintf(stderr, "crash: exception 0x%08lX at %p\n", record->ExceptionCode,
               record->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

// Installed before main, so it covers every suite of the program.
const LPTOP_LEVEL_EXCEPTION_FILTER Previous = SetUnhandledExceptionFilter(&ReportAndEnd);

}  // namespace
