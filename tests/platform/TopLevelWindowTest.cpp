#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/TopLevelWindow.h"

TEST(TopLevelWindow, OverlappedWindowsWithoutCaptionBecomePopups) {
  EXPECT_EQ(DeviceTopLevelStyle(0x16000000), 0x16000000u | WS_POPUP);  // a form's style
  EXPECT_EQ(DeviceTopLevelStyle(0), static_cast<DWORD>(WS_POPUP));
  EXPECT_EQ(DeviceTopLevelStyle(WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(DeviceTopLevelStyle(WS_POPUP | WS_BORDER), static_cast<DWORD>(WS_POPUP | WS_BORDER));
  DWORD captioned = WS_CAPTION | WS_SYSMENU | WS_VISIBLE;  // a form given explicit bounds
  EXPECT_EQ(DeviceTopLevelStyle(captioned), captioned);
  EXPECT_EQ(DeviceTopLevelStyle(WS_BORDER), static_cast<DWORD>(WS_BORDER | WS_POPUP));  // half a caption is none
}

TEST(TopLevelWindow, ClientAreaCoversTheWholeRequestedRectangle) {
  HWND wnd = Api.CreateWindowExW(0, L"STATIC", L"", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 240, 294,
                                 nullptr, nullptr, Api.GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(wnd, nullptr);
  RECT client;
  GetClientRect(wnd, &client);
  EXPECT_EQ(client.right, 240);
  EXPECT_EQ(client.bottom, 294);
  EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & WS_CAPTION, 0);
  DestroyWindow(wnd);
}
