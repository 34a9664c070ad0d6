#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/SoftKeyBar.h"

namespace {

HWND NewTopLevel() {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TEST(SoftKeyBar, EmptyBarSpansTheScreenBottomAndGoesWithItsOwner) {
  HWND owner = NewTopLevel();
  ASSERT_NE(owner, nullptr);
  SHMENUBARINFO info = {};
  info.cbSize = sizeof(SHMENUBARINFO);
  info.hwndParent = owner;
  info.dwFlags = SHCMBF_EMPTYBAR;
  ASSERT_TRUE(Api.SHCreateMenuBar(&info));
  ASSERT_NE(info.hwndMB, nullptr);
  RECT bar;
  ASSERT_TRUE(GetWindowRect(info.hwndMB, &bar));
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(bar.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(bar.bottom - bar.top, SoftKeyBarHeight);
  EXPECT_EQ(GetWindow(info.hwndMB, GW_OWNER), owner);
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(info.hwndMB));
}

TEST(SoftKeyBar, RefusesAMalformedRequest) {
  HWND owner = NewTopLevel();
  SHMENUBARINFO info = {};
  info.cbSize = 36;  // the 32-bit device's size is not this build's structure
  info.hwndParent = owner;
  EXPECT_FALSE(Api.SHCreateMenuBar(&info));
  EXPECT_EQ(info.hwndMB, nullptr);
  info.cbSize = sizeof(SHMENUBARINFO);
  info.hwndParent = nullptr;
  EXPECT_FALSE(Api.SHCreateMenuBar(&info));
  EXPECT_FALSE(Api.SHCreateMenuBar(nullptr));
  DestroyWindow(owner);
}

// The bar follows the screen by itself: after each announcement of a change
// it lies along the screen's bottom again, whatever moved it; other settings
// leave it where it is.
TEST(SoftKeyBar, ReturnsToTheScreenBottomWhenTheScreenChanges) {
  struct TCase {
    UINT Message;
    WPARAM WParam;
    bool Follows;
  };
  const TCase cases[] = {{WM_DISPLAYCHANGE, 32, true},
                         {WM_SETTINGCHANGE, SETTINGCHANGE_RESET, true},
                         {WM_SETTINGCHANGE, SPI_SETWORKAREA, true},
                         {WM_SETTINGCHANGE, SPI_SETSIPINFO, true},
                         {WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, false}};
  HWND owner = NewTopLevel();
  SHMENUBARINFO info = {};
  info.cbSize = sizeof(SHMENUBARINFO);
  info.hwndParent = owner;
  info.dwFlags = SHCMBF_EMPTYBAR;
  ASSERT_TRUE(Api.SHCreateMenuBar(&info));
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "message " << c.Message << ", wParam " << c.WParam);
    SetWindowPos(info.hwndMB, nullptr, 5, 7, 100, SoftKeyBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(info.hwndMB, c.Message, c.WParam, 0x0000DEAD);  // an lParam that is no text
    RECT bar;
    ASSERT_TRUE(GetWindowRect(info.hwndMB, &bar));
    if (c.Follows) {
      EXPECT_EQ(bar.left, 0);
      EXPECT_EQ(bar.top, height - SoftKeyBarHeight);
      EXPECT_EQ(bar.right, width);
      EXPECT_EQ(bar.bottom, height);
    } else {
      EXPECT_EQ(bar.left, 5);
      EXPECT_EQ(bar.top, 7);
    }
  }
  DestroyWindow(owner);
}
