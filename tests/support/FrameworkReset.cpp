#include "tests/support/FrameworkReset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/PlatformInfo.h"
#include "platform/Platform.h"
#include "tests/support/TestWindows.h"

void ResetFrameworkState(TClassReset classes) {
  PumpMessages();  // drops any quit request
  MainForm = nullptr;
  Terminated = false;
  CreatingControl = nullptr;
  DemoForm = nullptr;
  ResetPlatformTypeCache();
  if (classes == crUnregisterClasses) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    UnregisterClassW(L"Form", instance);
    UnregisterClassW(L"TWND", instance);
  }
}

namespace {

// The entries of the table that differ from the bindings of start-up.
std::vector<std::string> PatchedEntries() {
  std::vector<std::string> patched;
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  if (Api.name != DefaultApi.name) patched.push_back(#name);
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
  return patched;
}

std::vector<std::string> Leaks;  // "Suite.Test: Entry ..." of tests that left the table patched

// After each test (its fixture gone): the framework's state put back, and the
// table checked and put back, so one test's patch never reaches the next.
class TBetweenTests : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo& test) override {
    ResetFrameworkState();
    std::vector<std::string> patched = PatchedEntries();
    if (patched.empty()) return;
    std::string leak = std::string(test.test_suite_name()) + "." + test.name() + " left patched:";
    for (const std::string& name : patched) leak += " " + name;
    Leaks.push_back(leak);
    Api = DefaultApi;
  }
};

// A listener may not fail a test; the environment's tear-down fails the program.
class TTableCheck : public ::testing::Environment {
  void TearDown() override {
    for (const std::string& leak : Leaks) ADD_FAILURE() << leak;
  }
};

const bool Installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TBetweenTests);
  ::testing::AddGlobalTestEnvironment(new TTableCheck);
  return true;
}();

}  // namespace
