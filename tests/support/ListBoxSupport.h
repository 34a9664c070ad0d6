// Test support for the list box: a shown test form with a list box on it,
// stylus messages sent to the panel's window, real paints, the back buffer's
// pixels, and a DrawTextW stand-in that remembers what each row drew.
//
//   TListBoxFixture: SetUp builds a 240 x 250 list of 101 items ("Item 0" ...).
//   Stylus(WM_LBUTTONDOWN, 100, 120);  Stylus(WM_LBUTTONUP, 180, 160);
//   TDrawnTexts drawn;  PaintPanel();  EXPECT_EQ(drawn.Texts.front(), L"Item 0");
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/ApiPatch.h"
#include "support/TestWindows.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "graphics/Bitmap.h"
#include "listbox/GlideStripbox.h"

// One DrawTextW call as the list box made it.
struct TDrawnText {
  std::wstring Text;
  RECT Rect;
  UINT Format;
  COLORREF TextColor;
  int BkMode;
};

// Replaces DrawTextW for its life: every call is remembered, then drawn for real.
class TDrawnTexts {
 public:
  TDrawnTexts() : Patch(Api.DrawTextW, &TDrawnTexts::Draw) { Calls.clear(); }
  static int WINAPI Draw(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
    TDrawnText call;
    call.Text = length >= 0 ? std::wstring(text, length) : std::wstring(text);
    call.Rect = *rect;
    call.Format = format;
    call.TextColor = GetTextColor(dc);
    call.BkMode = GetBkMode(dc);
    Calls.push_back(call);
    return DefaultApi.DrawTextW(dc, text, length, rect, format);
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> out;
    for (const TDrawnText& c : Calls) out.push_back(c.Text);
    return out;
  }
  static inline std::vector<TDrawnText> Calls;

 private:
  TScopedPatch<decltype(TPlatformApi::DrawTextW)> Patch;
};

// The left button down in this thread's key state for its life, as the
// platform reports a stylus that rests on the screen.
class TStylusHeld {
 public:
  TStylusHeld() { SetButton(true); }
  ~TStylusHeld() { SetButton(false); }
  TStylusHeld(const TStylusHeld&) = delete;
  TStylusHeld& operator=(const TStylusHeld&) = delete;

 private:
  static void SetButton(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
};

class TListBoxFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = NewForm(nullptr, L"List test");
    List = TGlideStripbox::Create(Form, 0, 0, 240, 250, alNone);
    Form->CreateHandle();  // shows the form that the panel's window created hidden
    Api.ReleaseCapture();
    Fill(101);
  }
  void TearDown() override {
    if (List != nullptr) List->Destroy();
    Free(Form);
    PumpMessages();
  }

  void Fill(int count) {
    List->GetItems()->Clear();
    for (int i = 0; i < count; ++i) List->GetItems()->Add(L"Item " + std::to_wstring(i));
  }

  // A stylus message through the panel's real window procedure.
  void Stylus(UINT message, int x, int y) {
    WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
    SendMessageW(List->Panel->Handle, message, keys,
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  }
  void Tap(int x, int y) {
    Stylus(WM_LBUTTONDOWN, x, y);
    Stylus(WM_LBUTTONUP, x, y);
  }

  // A real WM_PAINT of the panel, whatever part of it is invalid.
  void PaintPanel() {
    RedrawWindow(List->Panel->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }

  COLORREF BufferPixel(int x, int y) {
    return GetPixel(List->BackBuffer->GetCanvas()->GetHandle(), x, y);
  }

  TControl* Form = nullptr;
  TGlideStripbox* List = nullptr;
};
