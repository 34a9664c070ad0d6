#include <gtest/gtest.h>

#include "tests/support/HandleAccounting.h"
#include "platform/Platform.h"

namespace {

class HandleAccounting : public ::testing::Test {
 protected:
  void SetUp() override { StartHandleAccounting(); }
  void TearDown() override { StopHandleAccounting(); }
};

}  // namespace

TEST_F(HandleAccounting, GdiObjectsAreAliveUntilDeletedOnce) {
  HBRUSH brush = Api.CreateSolidBrush(RGB(1, 2, 3));
  LOGFONTW font = {};
  font.lfHeight = 15;
  HFONT handle = Api.CreateFontIndirectW(&font);
  HRGN region = Api.CreateRectRgn(0, 0, 4, 4);
  THandleCounts counts = CurrentHandleCounts();
  EXPECT_EQ(counts.Alive[hkBrush], 1);
  EXPECT_EQ(counts.Alive[hkFont], 1);
  EXPECT_EQ(counts.Alive[hkRegion], 1);
  Api.DeleteObject(brush);
  Api.DeleteObject(brush);  // a second delete of the same handle is not a second release
  Api.DeleteObject(handle);
  Api.DeleteObject(region);
  counts = CurrentHandleCounts();
  EXPECT_EQ(counts.Created[hkBrush], 1);
  EXPECT_EQ(counts.Released[hkBrush], 1);
  EXPECT_EQ(counts.Alive[hkBrush] + counts.Alive[hkFont] + counts.Alive[hkRegion], 0);
}

TEST_F(HandleAccounting, DeviceContextsPairWithTheirOwnRelease) {
  HDC screen = Api.GetDC(nullptr);
  HDC memory = Api.CreateCompatibleDC(screen);
  HBITMAP bitmap = Api.CreateCompatibleBitmap(screen, 8, 8);
  EXPECT_EQ(CurrentHandleCounts().Alive[hkWindowDC], 1);
  Api.DeleteObject(memory);  // the wrong release call does not count as a DC release
  EXPECT_EQ(CurrentHandleCounts().Alive[hkMemoryDC], 1);
  Api.DeleteDC(memory);
  Api.ReleaseDC(nullptr, screen);
  Api.DeleteObject(bitmap);
  THandleCounts counts = CurrentHandleCounts();
  EXPECT_EQ(counts.Alive[hkWindowDC], 0);
  EXPECT_EQ(counts.Alive[hkMemoryDC], 0);
  EXPECT_EQ(counts.Alive[hkBitmap], 0);
}

TEST_F(HandleAccounting, WindowsAndTheirTimersGoWithTheParent) {
  HWND parent = Api.CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    Api.GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  HWND child = Api.CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, parent, nullptr,
                                   Api.GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  Api.SetTimer(child, 7, 1000, nullptr);
  Api.SetTimer(child, 7, 500, nullptr);  // the same timer again
  THandleCounts counts = CurrentHandleCounts();
  EXPECT_EQ(counts.Alive[hkWindow], 2);
  EXPECT_EQ(counts.Alive[hkTimer], 1);
  DestroyWindow(parent);  // not through the table: the child and its timer go too
  counts = CurrentHandleCounts();
  EXPECT_EQ(counts.Alive[hkWindow], 0);
  EXPECT_EQ(counts.Alive[hkTimer], 0);
  EXPECT_EQ(DescribeAliveHandles().find("window=0"), 0u);
}

TEST(HandleAccountingOff, StopPutsTheEntriesBack) {
  auto original = Api.CreateSolidBrush;
  StartHandleAccounting();
  EXPECT_NE(Api.CreateSolidBrush, original);
  StopHandleAccounting();
  EXPECT_EQ(Api.CreateSolidBrush, original);
  EXPECT_FALSE(HandleAccountingActive());
}
