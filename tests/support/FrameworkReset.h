// Between tests: the one way to put back the framework's process-wide state
// (the main form, the loop's end, a pending binding, the demo's form, the
// cached platform type, queued messages). Every test program also runs it
// after each test, and fails a test that leaves the platform table patched
// (FrameworkReset.cpp, compiled into each test program).
//
//   ResetFrameworkState();                       // between two runs of a scenario
//   ResetFrameworkState(crUnregisterClasses);    // and register the classes afresh
#pragma once

enum TClassReset {
  crKeepClasses,
  // The framework's classes are unregistered too, so the next run registers
  // them again: with the classes still registered a failing RegisterClassW
  // would never be reached.
  crUnregisterClasses
};

void ResetFrameworkState(TClassReset classes = crKeepClasses);
