#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/SystemColor.h"

TEST(SystemColor, DeviceIndexesAnswerTheDesktopColour) {
  for (int index : {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE}) {
    EXPECT_EQ(Api.GetSysColor(index | SysColorIndexFlag), GetSysColor(index)) << index;
    EXPECT_EQ(Api.GetSysColor(index), GetSysColor(index)) << index;
  }
  EXPECT_NE(Api.GetSysColor(COLOR_WINDOW | SysColorIndexFlag), Api.GetSysColor(COLOR_WINDOWTEXT | SysColorIndexFlag));
}
