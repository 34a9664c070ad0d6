#include "platform/Platform.h"

#include "platform/InputPanel.h"
#include "platform/SoftKeyBar.h"
#include "platform/SystemColor.h"
#include "platform/TopLevelWindow.h"
#include "platform/ScreenChange.h"

namespace {

TPlatformApi BindRealFunctions() {
  TPlatformApi api = {};
  api.RegisterClassW = ::RegisterClassW;
  api.GetClassInfoW = ::GetClassInfoW;
#ifdef _WIN32_WCE
  api.CreateWindowExW = ::CreateWindowExW;
#else  // desktop stand-in
  api.CreateWindowExW = StandInCreateWindowExW;
#endif
  api.DestroyWindow = ::DestroyWindow;
  api.IsWindow = ::IsWindow;
  api.DefWindowProcW = ::DefWindowProcW;
  api.CallWindowProcW = ::CallWindowProcW;
  api.SetWindowLongPtrW = ::SetWindowLongPtrW;
  api.SetPropW = ::SetPropW;
  api.GetPropW = ::GetPropW;
  api.RemovePropW = ::RemovePropW;
  api.GetMessageW = ::GetMessageW;
  api.PeekMessageW = ::PeekMessageW;
  api.TranslateMessage = ::TranslateMessage;
  api.DispatchMessageW = ::DispatchMessageW;
  api.PostMessageW = ::PostMessageW;
  api.SendMessageW = ::SendMessageW;
  api.PostQuitMessage = ::PostQuitMessage;
  api.ShowWindow = ::ShowWindow;
  api.SetWindowPos = ::SetWindowPos;
  api.GetWindowRect = ::GetWindowRect;
  api.GetClientRect = ::GetClientRect;
  api.ClientToScreen = ::ClientToScreen;
  api.SetParent = ::SetParent;
  api.IsWindowEnabled = ::IsWindowEnabled;
  api.InvalidateRect = ::InvalidateRect;
  api.ValidateRect = ::ValidateRect;

  api.SetFocus = ::SetFocus;
  api.GetFocus = ::GetFocus;
  api.SetForegroundWindow = ::SetForegroundWindow;
  api.GetKeyState = ::GetKeyState;
  api.SetCapture = ::SetCapture;
  api.ReleaseCapture = ::ReleaseCapture;
  api.GetCapture = ::GetCapture;

  api.BeginPaint = ::BeginPaint;
  api.EndPaint = ::EndPaint;
  api.GetUpdateRgn = ::GetUpdateRgn;
  api.CreateRectRgn = ::CreateRectRgn;
  api.GetDC = ::GetDC;
  api.ReleaseDC = ::ReleaseDC;
  api.CreateCompatibleDC = ::CreateCompatibleDC;
  api.DeleteDC = ::DeleteDC;
  api.CreateCompatibleBitmap = ::CreateCompatibleBitmap;
  api.SelectObject = ::SelectObject;
  api.DeleteObject = ::DeleteObject;
  api.GetStockObject = ::GetStockObject;
  api.CreateSolidBrush = ::CreateSolidBrush;
  api.CreateFontIndirectW = ::CreateFontIndirectW;
  api.CreatePenIndirect = ::CreatePenIndirect;
#ifdef _WIN32_WCE
  api.GetSysColor = ::GetSysColor;
#else  // desktop stand-in
  api.GetSysColor = StandInGetSysColor;
#endif
  api.SetBkColor = ::SetBkColor;
  api.SetBkMode = ::SetBkMode;
  api.SetTextColor = ::SetTextColor;
  api.SetROP2 = ::SetROP2;
  api.SetBrushOrgEx = ::SetBrushOrgEx;
  api.MoveToEx = ::MoveToEx;
  api.LineTo = ::LineTo;
  api.Rectangle = ::Rectangle;
  api.DrawTextW = ::DrawTextW;
  api.FillRect = ::FillRect;
  api.GetClipBox = ::GetClipBox;
  api.BitBlt = ::BitBlt;
  api.SetRect = ::SetRect;
  api.OffsetRect = ::OffsetRect;
  api.InflateRect = ::InflateRect;

  api.SetTimer = ::SetTimer;
  api.KillTimer = ::KillTimer;
  api.GetTickCount = ::GetTickCount;

#ifdef _WIN32_WCE
  api.SystemParametersInfoW = ::SystemParametersInfoW;
#else  // desktop stand-in
  api.SystemParametersInfoW = StandInSystemParametersInfoW;
#endif
  api.GetLastError = ::GetLastError;
  api.GetSystemMetrics = ::GetSystemMetrics;
  api.MessageBoxW = ::MessageBoxW;

  api.MultiByteToWideChar = ::MultiByteToWideChar;
  api.GetModuleHandleW = ::GetModuleHandleW;

#ifdef _WIN32_WCE
  api.SHCreateMenuBar = ::SHCreateMenuBar;
  api.SHHandleWMSettingChange = ::SHHandleWMSettingChange;
  api.SHHandleWMActivate = ::SHHandleWMActivate;
#else  // desktop stand-in
  api.SHCreateMenuBar = StandInCreateMenuBar;
  api.SHHandleWMSettingChange = StandInHandleWMSettingChange;
  api.SHHandleWMActivate = StandInHandleWMActivate;
#endif
  return api;
}

}  // namespace

// DefaultApi is defined first so that Api, in the same unit, is copied from a
// table that is already bound (static initialisation runs in definition order).
const TPlatformApi DefaultApi = BindRealFunctions();
TPlatformApi Api = DefaultApi;
