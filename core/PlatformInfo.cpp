#include "core/PlatformInfo.h"

#include "core/WStrList.h"
#include "platform/Platform.h"

namespace {

const unsigned char NotDetermined = 255;
unsigned char PlatformCache = NotDetermined;

}  // namespace

TPlatformType GetPlatformType() {
  if (PlatformCache != NotDetermined) return PlatformCache;
  wchar_t buffer[51] = {};
  TPlatformType result = ptUnknown;
  if (Api.SystemParametersInfoW(SPI_GETPLATFORMTYPE, sizeof(buffer), buffer, 0)) {
    buffer[50] = 0;  // a text that filled the buffer is still terminated
    if (StrCompW(buffer, L"PocketPC") == 0)
      result = ptPocketPC;
    else if (StrCompW(buffer, L"SmartPhone") == 0)
      result = ptSmartPhone;
  } else if (Api.GetLastError() == ERROR_ACCESS_DENIED) {
    result = ptSmartPhone;  // Smartphone refuses the query to unprivileged programs
  }
  PlatformCache = result;
  return result;
}

void ResetPlatformTypeCache() { PlatformCache = NotDetermined; }

int ScreenHeight() { return Api.GetSystemMetrics(SM_CYSCREEN); }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string IntToStr(int value) {
  // The magnitude as unsigned, so -2147483648 has one too.
  unsigned int magnitude = value < 0 ? 0u - static_cast<unsigned int>(value) : static_cast<unsigned int>(value);
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::string text;
  if (value < 0) text += '-';
  while (n > 0) text += digits[--n];
  return text;
}
