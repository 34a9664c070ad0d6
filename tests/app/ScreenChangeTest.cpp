// The demo on a screen that changes under it: the screen size, the work area
// and the platform type are scripted through the test kit's device screen,
// the soft-key bar is made where the device's shell keeps it (along the
// scripted screen's bottom), and the form hears of each change by the
// message the platform sends. Moves are counted as the form's SetWindowPos calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "support/ApiPatch.h"
#include "support/DeviceScreen.h"
#include "support/TestWindows.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/PlatformInfo.h"
#include "graphics/Bitmap.h"
#include "listbox/GlideStripbox.h"
#include "platform/SoftKeyBar.h"

namespace {

typedef TScreenScript TScript;
TScreenScript& Screen = TDeviceScreen::Now;
const TScript Portrait = TDeviceScreen::Portrait;
const TScript Landscape = TDeviceScreen::Landscape;

struct TPlace {
  RECT Form;    // on the screen
  RECT Button;  // in the form's client area
  RECT List;    // in the form's client area
};

// Where the demo's windows belong on a screen: the form from the work area
// down to the bar (26 pixels) or the screen bottom, "Kapat" its bottom 38
// pixels, the list the rest.
TPlace PlaceOn(const TScript& screen) {
  const RECT& area = screen.WorkArea;
  const int bottom = screen.Smartphone ? screen.Height : screen.Height - SoftKeyBarHeight;
  const int width = area.right - area.left;
  const int height = bottom - area.top;
  return {{area.left, area.top, area.right, bottom},
          {0, height - 38, width, height},
          {0, 0, width, height - 38}};
}

std::string Text(const RECT& r) {
  char buffer[64];
  snprintf(buffer, sizeof(buffer), "(%ld, %ld, %ld, %ld)", static_cast<long>(r.left),
           static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom));
  return buffer;
}

class ScreenChangeTest : public ::testing::Test {
 protected:
  void SetUp() override { Screen = Portrait; }
  void TearDown() override { Stop(); }

  // The demo as Run shows it, on the scripted screen.
  void Start() {
    ResetPlatformTypeCache();
    NewDemoForm(Holder, nullptr);
    Form = Holder->Form;
    List = Holder->ListBox;
    ASSERT_TRUE(Form->CreateHandle());
    PumpMessages();
  }
  void Stop() {
    if (Form != nullptr) {
      MainForm = nullptr;
      Free(Form);  // frees the holder with it
      Form = nullptr;
    }
    // The demo never frees its list box; after the form has gone that is safe.
    if (List != nullptr) List->Destroy();
    List = nullptr;
    PumpMessages();
    ResetPlatformTypeCache();
  }

  LRESULT Send(UINT message, WPARAM wparam, LPARAM lparam) {
    return SendMessageW(Form->Handle, message, wparam, lparam);
  }

  size_t FormMoves(const TApiRecorder& rec) const {
    size_t n = 0;
    for (const auto& call : rec.Only("SetWindowPos"))
      n += call.Arg(0) == reinterpret_cast<uintptr_t>(Form->Handle);
    return n;
  }

  void ExpectPlace(const TPlace& want, const std::string& when) {
    RECT form;
    GetWindowRect(Form->Handle, &form);
    EXPECT_EQ(Text(form), Text(want.Form)) << "the form, " << when;
    EXPECT_EQ(Text(Holder->Button->GetBounds()), Text(want.Button)) << "\"Kapat\", " << when;
    EXPECT_EQ(Text(List->Panel->GetBounds()), Text(want.List)) << "the list, " << when;
    ASSERT_NE(List->BackBuffer, nullptr);
    EXPECT_EQ(List->BackBuffer->Width, want.List.right - want.List.left) << when;
    EXPECT_EQ(List->BackBuffer->Height, want.List.bottom - want.List.top) << when;
  }

  TDeviceScreen Device{TDeviceScreen::BarAtBottom};  // the bar where the device's shell keeps it
  TDemoForm* Holder = nullptr;
  TControl* Form = nullptr;
  TGlideStripbox* List = nullptr;
};

// Each announcement of a changed screen, with an lParam that is no text: the
// form goes to its place on the changed screen with one move, and back again.
struct TChangeCase {
  const char* Name;
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
  TScript Changed;
};

const LPARAM NoText = static_cast<LPARAM>(0x0000DEAD);  // no readable address

const TChangeCase ChangeCases[] = {
    {"WM_DISPLAYCHANGE, turned", WM_DISPLAYCHANGE, 32, MAKELPARAM(320, 240), Landscape},
    {"WM_SETTINGCHANGE SETTINGCHANGE_RESET, turned", WM_SETTINGCHANGE, SETTINGCHANGE_RESET, NoText,
     {320, 240, {0, 26, 320, 240}, false, false}},
    {"WM_SETTINGCHANGE SPI_SETWORKAREA", WM_SETTINGCHANGE, SPI_SETWORKAREA, NoText,
     {240, 320, {10, 20, 200, 300}, false, false}},
    {"WM_SETTINGCHANGE SPI_SETSIPINFO", WM_SETTINGCHANGE, SPI_SETSIPINFO, NoText,
     {240, 320, {0, 26, 240, 320}, false, false}},
    {"WM_DISPLAYCHANGE on Smartphone, no bar", WM_DISPLAYCHANGE, 16, NoText,
     {320, 240, {0, 0, 320, 240}, false, true}},
};

TEST_F(ScreenChangeTest, FormAndChildrenFollowEachScreenChangeBothWays) {
  for (const TChangeCase& c : ChangeCases) {
    SCOPED_TRACE(c.Name);
    Screen = Portrait;
    Screen.Smartphone = c.Changed.Smartphone;
    Start();
    const TScript before = Screen;
    ExpectPlace(PlaceOn(before), "at the start");

    TApiRecorder rec;
    RECORD(rec, SetWindowPos);
    Screen = c.Changed;
    EXPECT_EQ(Send(c.Message, c.WParam, c.LParam), 0);
    ExpectPlace(PlaceOn(c.Changed), "after the change");
    EXPECT_EQ(FormMoves(rec), 1u);

    Screen = before;
    Send(c.Message, c.WParam, c.LParam);
    ExpectPlace(PlaceOn(before), "after the change back");
    EXPECT_EQ(FormMoves(rec), 2u);
    Stop();
  }
}

TEST_F(ScreenChangeTest, ABurstOfOneChangeMovesTheFormOnce) {
  Start();
  TApiRecorder rec;
  RECORD(rec, SetWindowPos);
  Screen = Landscape;
  for (int i = 0; i < 1000; ++i) Send(WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
  for (int i = 0; i < 1000; ++i) Send(WM_DISPLAYCHANGE, 32, MAKELPARAM(320, 240));
  EXPECT_EQ(FormMoves(rec), 1u);
  ExpectPlace(PlaceOn(Landscape), "after the burst");
}

// Cases where nothing may move, whatever the screen now says.
struct TStillCase {
  const char* Name;
  std::function<void(TControl* form)> Prepare;
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};

const TStillCase StillCases[] = {
    {"another setting, an lParam that is no text", [](TControl*) {}, WM_SETTINGCHANGE,
     SPI_SETDESKWALLPAPER, NoText},
    {"a setting change without a flag", [](TControl*) {}, WM_SETTINGCHANGE, 0, NoText},
    {"the work area cannot be read", [](TControl*) { Screen.AreaFails = true; },
     WM_DISPLAYCHANGE, 32, MAKELPARAM(320, 240)},
    {"the work area is empty", [](TControl*) { Screen.WorkArea = RECT{0, 0, 0, 0}; },
     WM_SETTINGCHANGE, SPI_SETWORKAREA, 0},
    {"the form's creator set its bounds",
     [](TControl* form) {
       form->SetBounds(RECT{5, 5, 200, 250});
       PumpMessages();
     },
     WM_DISPLAYCHANGE, 32, MAKELPARAM(320, 240)},
};

TEST_F(ScreenChangeTest, NothingMovesWithoutAScreenChangeOrAPlaceToGo) {
  for (const TStillCase& c : StillCases) {
    SCOPED_TRACE(c.Name);
    Screen = Portrait;
    Start();
    Screen = Landscape;
    c.Prepare(Form);
    RECT before;
    GetWindowRect(Form->Handle, &before);
    TApiRecorder rec;
    RECORD(rec, SetWindowPos);
    RECORD(rec, DefWindowProcW);
    EXPECT_EQ(Send(c.Message, c.WParam, c.LParam), 0);
    EXPECT_EQ(rec.Count("SetWindowPos"), 0u);
    RECT after;
    GetWindowRect(Form->Handle, &after);
    EXPECT_EQ(Text(after), Text(before));
    // Answered as before: default processing still sees it.
    size_t defaults = 0;
    for (const auto& call : rec.Only("DefWindowProcW")) defaults += call.Arg(1) == c.Message;
    EXPECT_EQ(defaults, 1u);
    Stop();
  }
}

// The shell's input-panel idiom: one record per top-level window, zero-filled
// with its size, passed on every WM_ACTIVATE and WM_SETTINGCHANGE.
TEST_F(ScreenChangeTest, TheShellSeesActivationAndSettingsWithTheFormsOneRecord) {
  TApiRecorder rec;
  RECORD(rec, SHHandleWMActivate);
  RECORD(rec, SHHandleWMSettingChange);
  Start();
  rec.ClearCalls();
  Send(WM_ACTIVATE, WA_ACTIVE, 0);
  Send(WM_SETTINGCHANGE, SPI_SETSIPINFO, NoText);
  Send(WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
  ASSERT_EQ(rec.Count("SHHandleWMActivate"), 1u);
  ASSERT_EQ(rec.Count("SHHandleWMSettingChange"), 2u);
  const uintptr_t window = reinterpret_cast<uintptr_t>(Form->Handle);
  const uintptr_t record = reinterpret_cast<uintptr_t>(&Form->ShellActivate);
  const TRecordedCall activate = rec.Only("SHHandleWMActivate")[0];
  EXPECT_EQ(activate.Arg(0), window);
  EXPECT_EQ(activate.Arg(1), static_cast<uint64_t>(WA_ACTIVE));
  EXPECT_EQ(activate.Arg(3), record);
  EXPECT_EQ(activate.Arg(4), 0u);
  const TRecordedCall setting = rec.Only("SHHandleWMSettingChange")[0];
  EXPECT_EQ(setting.Arg(0), window);
  EXPECT_EQ(setting.Arg(1), static_cast<uint64_t>(SPI_SETSIPINFO));
  EXPECT_EQ(setting.Arg(2), static_cast<uint64_t>(NoText));
  EXPECT_EQ(setting.Arg(3), record);
  EXPECT_EQ(Form->ShellActivate.cbSize, sizeof(SHACTIVATEINFO));
}

}  // namespace
