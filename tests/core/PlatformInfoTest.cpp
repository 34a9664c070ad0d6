#include <gtest/gtest.h>

#include <climits>
#include <cwchar>

#include "core/PlatformInfo.h"
#include "support/ApiPatch.h"

namespace {

// A scripted platform-type query: the text it answers, or a failure with an error.
struct TQueryScript {
  const wchar_t* Text = nullptr;
  DWORD Error = 0;
  int Calls = 0;
  UINT LastSize = 0;
};
TQueryScript Script;

BOOL WINAPI ScriptedQuery(UINT action, UINT size, PVOID buffer, UINT) {
  ++Script.Calls;
  Script.LastSize = size;
  if (action != SPI_GETPLATFORMTYPE || Script.Text == nullptr) return FALSE;
  wcsncpy(static_cast<wchar_t*>(buffer), Script.Text, size / sizeof(wchar_t));
  return TRUE;
}
DWORD WINAPI ScriptedError() { return Script.Error; }

class PlatformType : public ::testing::Test {
 protected:
  void SetUp() override {
    Script = TQueryScript();
    ResetPlatformTypeCache();
  }
  void TearDown() override { ResetPlatformTypeCache(); }
  TScopedPatch<decltype(Api.SystemParametersInfoW)> Query{Api.SystemParametersInfoW, ScriptedQuery};
  TScopedPatch<decltype(Api.GetLastError)> Error{Api.GetLastError, ScriptedError};
};

}  // namespace

TEST_F(PlatformType, KnownTextsAreRecognisedExactly) {
  Script.Text = L"PocketPC";
  EXPECT_EQ(GetPlatformType(), ptPocketPC);
  EXPECT_EQ(Script.LastSize, 102u);  // 51 UTF-16 units
  ResetPlatformTypeCache();
  Script.Text = L"SmartPhone";
  EXPECT_EQ(GetPlatformType(), ptSmartPhone);
}

TEST_F(PlatformType, OtherTextsAndOtherCaseAreUnknown) {
  for (const wchar_t* text : {L"pocketpc", L"SMARTPHONE", L"Jupiter", L""}) {
    ResetPlatformTypeCache();
    Script.Text = text;
    EXPECT_EQ(GetPlatformType(), ptUnknown) << static_cast<const void*>(text);
  }
}

TEST_F(PlatformType, AccessDeniedMeansSmartphoneOtherErrorsUnknown) {
  Script.Error = ERROR_ACCESS_DENIED;
  EXPECT_EQ(GetPlatformType(), ptSmartPhone);
  ResetPlatformTypeCache();
  Script.Error = ERROR_INVALID_PARAMETER;
  EXPECT_EQ(GetPlatformType(), ptUnknown);
}

TEST_F(PlatformType, SecondCallAnswersFromTheCache) {
  Script.Error = ERROR_INVALID_PARAMETER;  // even a failure is cached
  EXPECT_EQ(GetPlatformType(), ptUnknown);
  Script.Text = L"PocketPC";
  EXPECT_EQ(GetPlatformType(), ptUnknown);
  EXPECT_EQ(Script.Calls, 1);
}

TEST(PlatformTypeOnThisPlatform, DesktopQueryFailsAndAnswersUnknown) {
  ResetPlatformTypeCache();
  EXPECT_EQ(GetPlatformType(), ptUnknown);
  ResetPlatformTypeCache();
}

TEST(SmallHelpers, SameRectMinMaxAndScreenHeight) {
  RECT a = {1, 2, 3, 4};
  RECT b = {1, 2, 3, 5};
  EXPECT_TRUE(SameRect(a, a));
  EXPECT_FALSE(SameRect(a, b));
  EXPECT_TRUE(InRect(a, 1, 2));  // left and top edges inside, right and bottom outside
  EXPECT_FALSE(InRect(a, 3, 2));
  EXPECT_FALSE(InRect(a, 1, 4));
  EXPECT_FALSE(InRect(a, 0, 3));
  EXPECT_EQ(Min(7, 7), 7);
  EXPECT_EQ(Max(7, 7), 7);
  EXPECT_EQ(Min(-3, 2), -3);
  EXPECT_EQ(Max(-3, 2), 2);
  TScopedPatch<decltype(Api.GetSystemMetrics)> metrics(Api.GetSystemMetrics,
                                                        [](int index) { return index == SM_CYSCREEN ? 320 : 0; });
  EXPECT_EQ(ScreenHeight(), 320);
}

TEST(SmallHelpers, IntToStrCoversTheWhole32BitRange) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(7), "7");
  EXPECT_EQ(IntToStr(100), "100");
  EXPECT_EQ(IntToStr(-45), "-45");
  EXPECT_EQ(IntToStr(INT_MAX), "2147483647");
  EXPECT_EQ(IntToStr(INT_MIN), "-2147483648");
  for (int v : {1, 9, 10, 99, 1000000, -1, -10, -999999999})
    EXPECT_EQ(IntToStr(v), std::to_string(v));
}
